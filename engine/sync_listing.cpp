// The two listings of one directory level, and the sweep of temporary
// copies an interrupted run left behind.
#include <algorithm>

#include "core/report.h"
#include "engine/archive.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "platform/fs.h"
#include "platform/listing.h"
#include "platform/text.h"

namespace engine {

static bool ListingIsDir(const plat::ListingRecord& record) { return record.attributes & plat::kAttrDirectory; }

// Junctions and directory links are neither followed nor mirrored: they may
// point anywhere, even back up the tree. A folder that is a reparse point of
// another kind (a cloud client's, with files on demand) is a folder.
static bool ListingIsLinkedDir(const plat::Listing& listing, uint32_t index) {
    const plat::ListingRecord& record = listing.records[index];
    return ListingIsDir(record) && plat::IsLinkEntry(record.attributes, listing.ReparseTag(index));
}

// A file link is listed with its own date and no size, but copying it copies
// the file it points to: it stands for that file here, or the size-and-date
// rule would copy it on every run or never again. One that leads to a folder
// is a directory link. False when the entry is not kept; `dangling` tells
// one that leads nowhere.
static bool ListingFollowFileLink(plat::ListingRecord& record, const std::wstring& path, bool& dangling) {
    plat::DirEntry target;
    dangling = !plat::FollowLink(path, target);
    if (dangling || (target.attributes & plat::kAttrDirectory)) return false;
    record.attributes = target.attributes;
    record.size = target.size;
    record.modified = target.modified;
    return true;
}

void SyncList::Get(size_t k, SyncEntry& out) const {
    const plat::ListingRecord& record = listing.records[kept[k]];
    plat::ListingNameInto(listing, kept[k], out.Name);
    out.Size = ListingIsDir(record) ? kDirSize : static_cast<int64_t>(record.size);
    out.Date = record.modified;
}

void SortSyncList(SyncList& list) {
    const plat::Listing& listing = list.listing;
    std::sort(list.kept.begin(), list.kept.end(),
              [&listing](uint32_t a, uint32_t b) { return plat::ListingNameLess(listing, a, b); });
}

void FillSourceEntries(const JobContext& job, RunTally& tally, SyncList& source, const std::wstring& sourceDir,
                       bool isJobRoot, std::vector<std::wstring>& excludedTempNames,
                       std::vector<std::wstring>& danglingLinks) {
    plat::Listing& listing = source.listing;
    source.kept.clear();
    source.kept.reserve(listing.size());
    const int32_t sid = job.job.Sid;
    const std::vector<core::Exclude>& excludes = job.inputs.Excludes;
    const bool anyExclusion = HasExclusions(excludes, sid);
    std::wstring name;  // one buffer for every entry's name
    for (uint32_t index = 0; index < listing.size(); ++index) {
        plat::ListingRecord& record = listing.records[index];
        const bool fileLink = !ListingIsDir(record) && plat::IsLinkEntry(record.attributes, listing.ReparseTag(index));
        if (anyExclusion || fileLink || ListingIsDir(record)) plat::ListingNameInto(listing, index, name);
        if (anyExclusion && IsExcluded(excludes, sourceDir + name, sid)) {
            if (!ListingIsDir(record) && IsTempCopyName(name)) excludedTempNames.push_back(name);
            continue;
        }
        if (ListingIsDir(record)) {
            // "@" in the root would be mirrored onto the archive folder.
            if (isJobRoot && name == L"@") {
                if (job.NormalMode()) {
                    RunError(tally, L"Verzeichnis @ in Root von Quelle nicht erlaubt! Wird nicht kopiert: " +
                                        sourceDir + L"@");
                } else {
                    logs::AddLog(L"Wird nicht kopiert: " + sourceDir + L"@", core::kLogHint);
                }
                continue;
            }
            if (ListingIsLinkedDir(listing, index)) continue;
        }
        bool dangling = false;
        if (fileLink && !ListingFollowFileLink(record, sourceDir + name, dangling)) {
            if (dangling) danglingLinks.push_back(name);
            continue;
        }
        source.kept.push_back(index);
    }
}

void FillDestEntries(SyncList& dest, std::vector<uint32_t>& temps, std::vector<std::wstring>& links) {
    const plat::Listing& listing = dest.listing;
    dest.kept.clear();
    dest.kept.reserve(listing.size());
    std::wstring name;  // one buffer for every entry's name
    for (uint32_t index = 0; index < listing.size(); ++index) {
        const plat::ListingRecord& record = listing.records[index];
        plat::ListingNameInto(listing, index, name);
        if (ListingIsDir(record)) {
            // The archive folder (and any directory of that name deeper down)
            // is never paired and never archived.
            if (name == L"@") continue;
            if (ListingIsLinkedDir(listing, index)) {
                links.push_back(name);
                continue;
            }
        } else if (IsTempCopyName(name)) {
            temps.push_back(index);
            continue;
        }
        dest.kept.push_back(index);
    }
}

// Whether the sorted source holds a name equal to dest's listing entry
// `index`, case ignored.
static bool ListingSourceHas(const SyncList& source, const plat::Listing& dest, uint32_t index) {
    auto it = std::lower_bound(source.kept.begin(), source.kept.end(), index, [&](uint32_t s, uint32_t d) {
        return plat::CompareListingNoCase(source.listing, s, dest, d) < 0;
    });
    return it != source.kept.end() && plat::CompareListingNoCase(source.listing, *it, dest, index) == 0;
}

void SweepTempLeftovers(const std::wstring& destDir, std::vector<uint32_t>& temps, const SyncList& source,
                        const std::vector<std::wstring>& excludedTempNames, SyncList& dest) {
    for (uint32_t temp : temps) {
        const std::wstring name = plat::ListingName(dest.listing, temp);
        bool owned = ListingSourceHas(source, dest.listing, temp);
        for (size_t i = 0; !owned && i < excludedTempNames.size(); ++i)
            owned = plat::EqualNoCase(excludedTempNames[i], name);
        if (owned) {
            dest.kept.push_back(temp);
            continue;
        }
        // Complete or not, a temporary copy holds nothing the source does not
        // hold; the next copy of its file writes a fresh one. One that stays
        // is swept again by the next run.
        (void)plat::RemoveForGood(destDir + name);
    }
    temps.clear();
}

void FollowCaseRenames(const std::wstring& destDir, const SyncList& source, SyncList& dest) {
    MergeSyncLists(
        source, dest,
        [&](size_t i, size_t j) {
            if (j == kNoPair || SyncIsDir(source, i) != SyncIsDir(dest, j)) return;
            const auto spelling = source.listing.RawName(source.kept[i]);
            if (spelling == dest.listing.RawName(dest.kept[j])) return;
            if (plat::RenameCase(destDir + dest.Name(j), destDir + source.Name(i)))
                plat::SetListingRawName(dest.listing, dest.kept[j], spelling);
        },
        [](size_t) {});
}

const std::wstring* LinkNamed(const std::vector<std::wstring>& links, const std::wstring& name) {
    for (const std::wstring& link : links)
        if (plat::EqualNoCase(link, name)) return &link;
    return nullptr;
}

}  // namespace engine
