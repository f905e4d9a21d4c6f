// The two listings of one directory level, and the sweep of temporary
// copies an interrupted run left behind.
#include <algorithm>

#include "core/report.h"
#include "engine/archive.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace engine {

static bool ListingIsDir(const plat::DirEntry& entry) { return entry.attributes & plat::kAttrDirectory; }

// Junctions and directory links are neither followed nor mirrored: they may
// point anywhere, even back up the tree.
static bool ListingIsLinkedDir(const plat::DirEntry& entry) {
    return ListingIsDir(entry) && (entry.attributes & plat::kAttrReparsePoint);
}

static SyncEntry ListingTake(plat::DirEntry& entry) {
    SyncEntry out;
    out.Name = std::move(entry.name);
    out.Size = ListingIsDir(entry) ? kDirSize : static_cast<int64_t>(entry.size);
    out.Date = entry.modified;
    return out;
}

bool EntryNameLess(const SyncEntry& a, const SyncEntry& b) {
    int order = plat::CompareNoCase(a.Name, b.Name);
    if (order != 0) return order < 0;
    return a.Name < b.Name;
}

void FillSourceEntries(Run& run, std::vector<plat::DirEntry>& listing, const std::wstring& sourceDir, bool isJobRoot,
                       std::vector<SyncEntry>& out, std::vector<std::wstring>& excludedTempNames) {
    out.clear();
    out.reserve(listing.size());
    const int32_t sid = run.job.Sid;
    const bool anyExclusion = HasExclusions(run.Excludes, sid);
    for (plat::DirEntry& entry : listing) {
        if (anyExclusion && IsExcluded(run.Excludes, sourceDir + entry.name, sid)) {
            if (!ListingIsDir(entry) && IsTempCopyName(entry.name)) excludedTempNames.push_back(entry.name);
            continue;
        }
        if (ListingIsDir(entry)) {
            // "@" in the root would be mirrored onto the archive folder.
            if (isJobRoot && entry.name == L"@") {
                if (run.ItJobMode == kItJobNormal) {
                    RunError(run, L"Verzeichnis @ in Root von Quelle nicht erlaubt! Wird nicht kopiert: " + sourceDir +
                                      L"@");
                } else {
                    logs::AddLog(L"Wird nicht kopiert: " + sourceDir + L"@", core::kLogHint);
                }
                continue;
            }
            if (ListingIsLinkedDir(entry)) continue;
        }
        out.push_back(ListingTake(entry));
    }
}

void FillDestEntries(std::vector<plat::DirEntry>& listing, std::vector<SyncEntry>& out,
                     std::vector<SyncEntry>& tempNames, std::vector<std::wstring>& links) {
    out.clear();
    out.reserve(listing.size());
    for (plat::DirEntry& entry : listing) {
        if (ListingIsDir(entry)) {
            // The archive folder (and any directory of that name deeper down)
            // is never paired and never archived.
            if (entry.name == L"@") continue;
            if (ListingIsLinkedDir(entry)) {
                links.push_back(std::move(entry.name));
                continue;
            }
        } else if (IsTempCopyName(entry.name)) {
            tempNames.push_back(ListingTake(entry));
            continue;
        }
        out.push_back(ListingTake(entry));
    }
}

static bool ListingSourceHas(const std::vector<SyncEntry>& source, const std::wstring& name) {
    SyncEntry key;
    key.Name = name;
    auto it = std::lower_bound(source.begin(), source.end(), key, [](const SyncEntry& a, const SyncEntry& b) {
        return plat::CompareNoCase(a.Name, b.Name) < 0;
    });
    return it != source.end() && plat::EqualNoCase(it->Name, name);
}

void SweepTempLeftovers(const std::wstring& destDir, std::vector<SyncEntry>& temps,
                        const std::vector<SyncEntry>& source, const std::vector<std::wstring>& excludedTempNames,
                        std::vector<SyncEntry>& dest) {
    for (SyncEntry& temp : temps) {
        bool owned = ListingSourceHas(source, temp.Name);
        for (size_t i = 0; !owned && i < excludedTempNames.size(); ++i)
            owned = plat::EqualNoCase(excludedTempNames[i], temp.Name);
        if (owned) {
            dest.push_back(std::move(temp));
            continue;
        }
        // Complete or not, a temporary copy holds nothing the source does not
        // hold; the next copy of its file writes a fresh one.
        plat::RemoveForGood(destDir + temp.Name);
    }
    temps.clear();
}

}  // namespace engine
