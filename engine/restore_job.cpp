// Which job a path to restore belongs to: by the configuration, or by the
// copy of it that every run leaves in its destination's "@".
#include "core/ini_parse.h"
#include "core/text_helpers.h"
#include "engine/restore.h"
#include "engine/run.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/text.h"

namespace engine {

// The part of `path` below the folder `root`, "" for the folder itself;
// false when it lies elsewhere. Case is ignored, as Windows ignores it.
static bool RestoreBelow(const std::wstring& root, const std::wstring& path, std::wstring& rest) {
    const std::wstring top = plat::WithoutTrailingSeparator(root);
    if (top.empty() || path.size() < top.size() || !plat::EqualNoCase(path.substr(0, top.size()), top)) return false;
    if (path.size() == top.size()) {
        rest.clear();
        return true;
    }
    // "C:" as a root is followed by "\" already taken off; "D:\Daten" must
    // not hold "D:\Datenbank".
    const size_t start = top.back() == L'\\' ? top.size() : top.size() + 1;
    if (top.back() != L'\\' && path[top.size()] != L'\\') return false;
    rest = plat::WithoutTrailingSeparator(path.substr(start));
    return true;
}

// "@" and what lies in it are the archive, not a place of the mirror.
static bool RestoreInArchive(const std::wstring& rest) { return rest == L"@" || rest.compare(0, 2, L"@\\") == 0; }

static std::wstring RestoreDestTail(const std::wstring& dest) {
    return plat::WithoutTrailingSeparator(DestTail(core::AddBackslash(dest)));
}

std::vector<RestoreJob> JobsOfBackup(const std::string& iniBytes, const std::wstring& dest) {
    const core::IniDoc doc = core::ParseIni(iniBytes);
    std::vector<RestoreJob> all, matching;
    for (const std::wstring& value : core::IniSectionValues(doc, L"PATHS")) {
        const std::vector<std::wstring> f = core::IniFields(value, 3);
        if (f[1].empty() || f[2].empty()) continue;
        RestoreJob job{core::ParseLeadingInt(f[0]), core::AddBackslash(f[1]), core::AddBackslash(dest)};
        all.push_back(job);
        const std::wstring tail = RestoreDestTail(f[2]);
        const bool same = tail.empty() ? plat::EqualNoCase(core::AddBackslash(f[2]), core::AddBackslash(dest))
                                       : plat::EqualNoCase(tail, RestoreDestTail(dest));
        if (same) matching.push_back(job);
    }
    // A backup folder copied elsewhere keeps its copy of a configuration of
    // one job: that job is it.
    if (matching.empty() && all.size() == 1) return all;
    return matching;
}

bool LocateBackup(RestoreJob& job, const core::Job* listed) {
    if (plat::DirExists(job.dest)) return true;
    // Network paths cannot move to another letter.
    if (!listed || job.dest.rfind(L"\\\\", 0) == 0) return false;
    RunTally tally;
    const std::wstring found = FindAlternativeDest(tally, *listed);
    if (found.empty()) return false;
    job.dest = core::AddBackslash(found);
    return true;
}

bool InsideBackup(const RestoreJob& job, const std::wstring& target) {
    std::wstring rest;
    return RestoreBelow(job.dest, plat::WithoutTrailingSeparator(target), rest);
}

RestoreTarget FindRestoreTarget(const std::vector<core::Job>& jobs, const std::wstring& pathIn) {
    const std::wstring path = plat::WithoutTrailingSeparator(pathIn);
    RestoreTarget target;
    if (path.empty()) return target;
    for (const core::Job& job : jobs) {
        std::wstring rest;
        const bool inSource = RestoreBelow(job.Src, path, rest);
        if (!inSource && (!RestoreBelow(job.Dest, path, rest) || RestoreInArchive(rest))) continue;
        target.job = {job.Sid, core::AddBackslash(job.Src), core::AddBackslash(job.Dest)};
        target.path = rest;
        target.found = true;
        return target;
    }
    // No job knows it (a new PC): the destination it lies in says whose it
    // is, upwards from the path.
    for (std::wstring dir = path; !dir.empty();) {
        std::string bytes;
        if (plat::ReadWholeFile(core::AddBackslash(dir) + L"@\\Tresoro.ini", bytes)) {
            const std::vector<RestoreJob> found = JobsOfBackup(bytes, core::AddBackslash(dir));
            std::wstring rest;
            if (!found.empty() && RestoreBelow(dir, path, rest) && !RestoreInArchive(rest)) {
                target.job = found.front();
                target.path = rest;
                target.found = true;
            }
            return target;
        }
        const std::wstring up = plat::WithoutTrailingSeparator(plat::ParentDir(core::AddBackslash(dir)));
        if (up == dir) break;
        dir = up;
    }
    return target;
}

}  // namespace engine
