// Which archive settings hold for one destination directory: the job's own,
// overridden by the per-directory entries (ArcIndiv) of the job.
#include "engine/sync.h"
#include "platform/text.h"

namespace engine {

// The entries were made for the destination's drive letter at the time; a
// destination found on another drive (or re-lettered) must still meet them,
// so the letter is taken from the directory being synchronised. Network
// paths ("\\server\share") have no letter to replace.
std::wstring ArcIndivPathFor(const std::wstring& path, const std::wstring& destDir) {
    std::wstring upper = plat::ToUpper(path);
    if (upper.compare(0, 2, L"\\\\") == 0) return upper;
    const std::wstring destDrive = plat::ToUpper(destDir.substr(0, 2));
    if (upper.compare(0, 2, destDrive) == 0) return upper;
    size_t first = upper.find(L':');
    // Without a drive there is nothing to replace.
    if (first == std::wstring::npos) return upper;
    size_t second = upper.find(L':', first + 1);
    size_t length = second == std::wstring::npos ? std::wstring::npos : second - first - 1;
    return destDrive + upper.substr(first + 1, length);
}

ArcSettings ArcSettingsFor(const std::vector<core::ArcIndivEntry>& arcIndiv, const core::Job& job,
                           const std::wstring& destDir) {
    ArcSettings settings{job.ArcInterval, job.ArcVersions};
    std::wstring upperDest;
    for (const core::ArcIndivEntry& entry : arcIndiv) {
        if (entry.Sid != job.Sid) continue;
        if (upperDest.empty()) upperDest = plat::ToUpper(destDir);
        const std::wstring p = ArcIndivPathFor(entry.Path, destDir);
        bool applies = entry.Recursive ? (!p.empty() && upperDest.find(p) != std::wstring::npos) : p == upperDest;
        if (!applies) continue;
        settings.Interval = entry.Interval;
        settings.Versions = entry.Versions;
    }
    return settings;
}

static std::wstring ArcBelowDest(const core::Job& job, const std::wstring& destDir) {
    return destDir.size() >= job.Dest.size() ? destDir.substr(job.Dest.size()) : L"";
}

// "@" repeats the destination's directories below the job's destination.
std::wstring ArchiveDirFor(const core::Job& job, const std::wstring& destDir) {
    return job.Dest + L"@\\" + ArcBelowDest(job, destDir);
}

// No archived entry can ever be below "@\@\": the source root may hold no
// folder "@", so "@\@" is neither an archive directory nor a slot. The
// levels carry ".d" so that no folder there can be taken for a version
// waiting under ".arc2del", whatever the user's folders are called.
std::wstring SetAsideDirFor(const core::Job& job, const std::wstring& destDir) {
    const std::wstring below = ArcBelowDest(job, destDir);
    std::wstring out = job.Dest + L"@\\@\\";
    size_t start = 0;
    for (size_t slash; (slash = below.find(L'\\', start)) != std::wstring::npos; start = slash + 1)
        out += below.substr(start, slash - start) + L".d\\";
    return out;
}

}  // namespace engine
