// Which paths of a job are never copied, and the warning that explains a
// failure on a path beyond the Windows limits.
#include "engine/sync.h"
#include "platform/text.h"

namespace engine {

// Exclusion paths are stored in upper case, so a substring search in the
// upper-cased path ignores case. An exclusion "\TEMP" therefore also hits a
// folder "TEMPLATES": users have always relied on the plain substring rule.
bool IsExcluded(const std::vector<core::Exclude>& excludes, const std::wstring& path, int32_t sid) {
    std::wstring upper;
    bool upperDone = false;
    for (const core::Exclude& exclude : excludes) {
        // An empty exclusion would be found in every path and silently
        // exclude the whole job.
        if (exclude.Sid != sid || exclude.Path.empty()) continue;
        if (!upperDone) {
            upper = plat::ToUpper(path);
            upperDone = true;
        }
        if (upper.find(exclude.Path) != std::wstring::npos) return true;
    }
    return false;
}

bool HasExclusions(const std::vector<core::Exclude>& excludes, int32_t sid) {
    for (const core::Exclude& exclude : excludes)
        if (exclude.Sid == sid && !exclude.Path.empty()) return true;
    return false;
}

bool WarnLongPath(RunTally& tally, const std::wstring& path) {
    if (path.size() <= 240) return false;
    RunErrorDetail(tally,
                   L"Verzeichnis-Pfade dürfen in Windows max. 247, Dateipfade höchstens 259 Zeichen lang sein...");
    RunErrorDetail(tally, L"Pfad sehr lang! (" + std::to_wstring(path.size()) + L") Zeichen\t" + path);
    return true;
}

}  // namespace engine
