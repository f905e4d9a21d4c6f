// Pattern matching of the exclusion search and the clean-up of its results.
#include <algorithm>

#include "core/state.h"
#include "dialogs/exclude_search.h"
#include "platform/text.h"

namespace dialogs {

// A pattern "A|B|C" matches only when every part occurs somewhere in the
// path, in any order; the last part decides where the exclusion ends. An
// empty part (as in "A||B" or a trailing "|") never occurs, and an empty
// pattern has no anchor, so neither matches: an empty anchor would exclude
// everything from the drive root on.
static bool ExclAnchorOf(const std::wstring& pattern, const std::wstring& upperPath, std::wstring& anchor) {
    if (pattern.find(L'|') == std::wstring::npos) {
        anchor = pattern;
        return !anchor.empty();
    }
    size_t start = 0;
    while (true) {
        size_t bar = pattern.find(L'|', start);
        std::wstring part = pattern.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start);
        if (part.empty() || upperPath.find(part) == std::wstring::npos) return false;
        if (bar == std::wstring::npos) {
            anchor = part;
            return true;
        }
        start = bar + 1;
    }
}

int MatchExcludePatterns(const std::wstring& path, int32_t sid) {
    const std::wstring upper = plat::ToUpper(path);
    core::State& s = core::S();
    int found = 0;
    // Every pattern is tried: two patterns may both hit, and the clean-up
    // after the walk keeps the shorter result.
    for (const std::wstring& pattern : s.ExcludePaths.items) {
        std::wstring anchor;
        if (!ExclAnchorOf(pattern, upper, anchor)) continue;
        size_t at = upper.rfind(anchor);
        if (at == std::wstring::npos) continue;
        s.Excludes.Append(core::Exclude{sid, upper.substr(0, at + anchor.size())});
        found = 1;
    }
    return found;
}

void RemoveNestedExcludes(int32_t sid) {
    core::List<core::Exclude>& excludes = core::S().Excludes;
    // Plain character order: every path is upper case, and a path sorts
    // right before the longer ones that begin with it.
    std::stable_sort(excludes.items.begin(), excludes.items.end(),
                     [](const core::Exclude& a, const core::Exclude& b) { return a.Path < b.Path; });
    std::vector<core::Exclude> kept;
    kept.reserve(excludes.items.size());
    std::wstring remembered;
    for (core::Exclude& entry : excludes.items) {
        if (entry.Sid == sid) {
            if (!remembered.empty() && entry.Path.find(remembered) != std::wstring::npos) continue;
            remembered = entry.Path;
        }
        kept.push_back(std::move(entry));
    }
    excludes.items = std::move(kept);
}

}  // namespace dialogs
