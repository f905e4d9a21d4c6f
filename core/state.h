// The process-wide lists, settings and paths. Everything here lives for the
// whole process; tests call ResetState() between cases.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/list.h"
#include "core/records.h"
#include "platform/gui.h"

namespace core {

// A window coordinate left as the system chose: the value the window calls
// take for "leave it", so a stored position goes to them as it is.
using plat::kKeep;

struct Settings {
    int32_t INIinPrgPath = 0;
    int32_t GStdAuto = 1;
    std::wstring GStdBupPath;
    int8_t GLogExt = 0;
    int8_t GCreateDest = 1;
    int8_t GSearchDest = 1;
    int8_t GFirstNext = 0;
    int32_t GBupBeiStartVerz = 20;
    float GDMScale = -1.0f;
    int32_t GMainWinX = kKeep;
    int32_t GMainWinY = kKeep;
    int32_t GMainWinXD = 800;
    int32_t GMainWinYD = 600;
    int32_t GMainPan1Splitt = 110;
};

struct Paths {
    std::wstring ProgramDir;
    std::wstring ConfigDir;
    std::wstring IniDir;
    std::wstring IniFile;
};

struct State {
    List<Job> Jobs;
    List<Exclude> Excludes;
    List<ArcIndivEntry> ArcIndiv;
    List<std::wstring> ExcludeStrings;
    List<std::wstring> ExcludePaths;
    List<WinFolder> WinFolders;
    Settings settings;
    Paths paths;
    double DialogScale = 1.0;
};

State& S();
void ResetState();

// Where the job with this Sid stands in `jobs`, or kNoJob. Sid 0 names no
// job (a fresh Sid is never 0, and a read configuration repairs it).
constexpr size_t kNoJob = static_cast<size_t>(-1);
size_t JobIndex(const List<Job>& jobs, int32_t sid);
// The job with this Sid in the job list, or nullptr; changes nothing.
Job* FindJob(int32_t sid);

}  // namespace core
