// A backup disk that Windows mounts under another letter is recognised by
// its content: the "@\Tresoro.ini" copy a former run left there carries the
// Sid and the configured destination of every job.
#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "core/drives.h"
#include "core/ini_parse.h"
#include "core/report.h"
#include "core/text_helpers.h"
#include "engine/run.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/fs.h"

namespace engine {

std::wstring DestTail(const std::wstring& dest) {
    const size_t first = dest.find(L':');
    if (first == std::wstring::npos) return L"";
    const size_t second = dest.find(L':', first + 1);
    std::wstring tail =
        second == std::wstring::npos ? dest.substr(first + 1) : dest.substr(first + 1, second - first - 1);
    const size_t start = tail.find_first_not_of(L'\\');
    return start == std::wstring::npos ? L"" : tail.substr(start);
}

bool ForeignIniHasJob(const std::string& bytes, int32_t sid, const std::wstring& dest) {
    const core::IniDoc doc = core::ParseIni(bytes);
    for (const std::wstring& value : core::IniSectionValues(doc, L"PATHS")) {
        const std::vector<std::wstring> fields = core::IniFields(value, 3);
        // Same Sid alone is not enough: Sids are random and another
        // installation may have drawn the same number for another job.
        if (core::ParseLeadingInt(fields[0]) == sid && fields[2] == dest) return true;
    }
    return false;
}

// Largest free space first: of two disks holding the destination, the one
// with room is the likelier backup disk. A stable sort keeps the system's
// order among equals.
static std::vector<core::Drive> AltDrivesBySpace() {
    std::vector<core::Drive> drives = core::ListDrives();
    std::stable_sort(drives.begin(), drives.end(),
                     [](const core::Drive& a, const core::Drive& b) { return a.FreeBytes > b.FreeBytes; });
    return drives;
}

std::wstring FindAlternativeDest(RunTally& tally, const core::Job& job) {
    const uint32_t t0 = plat::Tick();
    const std::wstring tail = DestTail(job.Dest);
    std::wstring found;
    for (const core::Drive& drive : AltDrivesBySpace()) {
        // Drives without a medium or without free space sort last and end
        // the search: a full disk cannot take the backup anyway.
        if (drive.FreeBytes == 0) break;
        const std::wstring candidate = core::AddBackslash(drive.Root + tail);
        if (!plat::DirExists(candidate)) continue;
        logs::AddLog(L"Möglicher Alternativpfad: " + candidate, core::kLogHint);
        const std::wstring iniPath = candidate + L"@\\Tresoro.ini";
        std::string bytes;
        if (!plat::ReadWholeFile(iniPath, bytes)) {
            logs::AddLog(L"Konnte " + iniPath + L" nicht öffnen!", core::kLogHint);
            continue;
        }
        if (ForeignIniHasJob(bytes, job.Sid, job.Dest)) {
            logs::AddLog(L"Korrekte Sid und Zielpfad gefunden in " + iniPath + L" - Pfad wird verwendet!",
                         core::kLogHint);
            found = candidate;
            const int64_t expected = static_cast<int64_t>(tally.EntriesExpected) + job.EntryCount;
            tally.EntriesExpected =
                static_cast<int32_t>(std::clamp<int64_t>(expected, 0, std::numeric_limits<int32_t>::max()));
            break;
        }
        logs::AddLog(L"Konnte in " + iniPath + L" keine passende Sid finden!", core::kLogHint);
    }
    logs::AddLog(L"Alternativpfad suchen dauerte " + std::to_wstring(plat::Tick() - t0) + L"ms", core::kLogNormal);
    return found;
}

}  // namespace engine
