#include <algorithm>
#include <unordered_map>

#include "core/config.h"
#include "core/ini_parse.h"
#include "core/sid.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace core {

// Last version whose "PATHS" keys were "0", "1", ... holding "src|dest".
static const wchar_t* const kNumberedPathsUpTo = L"081107";

// Old files had no identifiers; they are made from the current time plus the
// job's number and replaced by random ones right after. Unsigned arithmetic:
// a job number from a damaged file may push the sum past the 32-bit range.
static int32_t MigSid(uint32_t base, int64_t offset) {
    return static_cast<int32_t>(base + static_cast<uint32_t>(offset));
}

// Keys "first", "first+1", ... up to the first missing or empty value.
template <typename Visit>
static void MigNumberedValues(const IniDoc& doc, const wchar_t* section, int64_t first, Visit visit) {
    for (int64_t i = first;; ++i) {
        std::wstring value;
        if (!IniValue(doc, section, std::to_wstring(i), value) || value.empty()) return;
        visit(i, value);
    }
}

static Job MigJob(int32_t sid, const std::wstring& src, const std::wstring& dest) {
    Job job;
    job.Sid = sid;
    job.Src = src;
    job.Dest = dest;
    job.Flags = kFlagSelected;
    return job;
}

void MigrateOldConfig(const IniDoc& doc, const std::wstring& version) {
    State& s = S();
    const uint32_t base = static_cast<uint32_t>(plat::Now());

    s.Excludes.Clear();
    MigNumberedValues(doc, L"EXCLUDE", 1, [&](int64_t, const std::wstring& value) {
        s.Excludes.Append({MigSid(base, 0), plat::ToUpper(value)});
    });

    // The oldest layout: one single job.
    std::wstring src, dest;
    IniValue(doc, L"PATHS", L"SRC", src);
    IniValue(doc, L"PATHS", L"DEST", dest);
    if (!src.empty() && !dest.empty()) {
        s.Jobs.Append(MigJob(MigSid(base, 0), AddBackslash(src), AddBackslash(dest)));
        return;
    }
    if (version > kNumberedPathsUpTo) return;

    MigNumberedValues(doc, L"PATHS", 0, [&](int64_t i, const std::wstring& value) {
        std::vector<std::wstring> f = IniFields(value, 2);
        s.Jobs.Append(MigJob(MigSid(base, i), f[0], f[1]));
    });
    // "n|path": n is the job's number, counted from 0 like the keys above.
    for (const std::wstring& value : IniSectionValues(doc, L"EXCLUDES")) {
        size_t bar = value.find(L'|');
        if (bar == std::wstring::npos || bar + 1 == value.size()) continue;
        int32_t n = ParseLeadingInt(value.substr(0, bar));
        s.Excludes.Append({MigSid(base, n), value.substr(bar + 1)});
    }
}

// All new identifiers are drawn first and carried over in one pass, by the
// old Sid each entry had when the file was read: replacing old by new job
// after job would move an entry twice as soon as one job's new Sid equals a
// later job's old one. A job whose draw fails keeps its old Sid.
void RenumberJobSids() {
    State& s = S();
    std::unordered_map<int32_t, int32_t> carry;
    SidCounts taken = CurrentSidCounts();
    for (Job& job : s.Jobs.items) {
        int32_t fresh = NewSid(taken);
        if (fresh <= 0) continue;
        MoveSidCount(taken, job.Sid, fresh);
        // With two jobs of one old Sid, the first takes its entries.
        carry.emplace(job.Sid, fresh);
        job.Sid = fresh;
    }
    for (Exclude& exclude : s.Excludes.items) {
        auto it = carry.find(exclude.Sid);
        if (it != carry.end()) exclude.Sid = it->second;
    }
    for (ArcIndivEntry& entry : s.ArcIndiv.items) {
        auto it = carry.find(entry.Sid);
        if (it != carry.end()) entry.Sid = it->second;
    }
}

void SortExcludes() {
    std::vector<Exclude>& items = S().Excludes.items;
    std::stable_sort(items.begin(), items.end(),
                     [](const Exclude& a, const Exclude& b) { return plat::CompareNoCase(a.Path, b.Path) < 0; });
}

}  // namespace core
