// Any bytes as "Tresoro.ini": the reader must neither crash nor hang, and
// what it makes of them must survive a write and a second read unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/config.h"
#include "core/state.h"

namespace {

core::ConfigOutcome FuzzRead(const std::string* programDirIni, const std::string* iniFile) {
    core::ResetState();
    core::S().paths.ProgramDir = L"P:\\Prg\\";
    core::S().paths.ConfigDir = L"C:\\Cfg\\";
    return core::ReadConfigFromBytes(programDirIni, iniFile);
}

// The written file, read again (as both files, so that the search strings
// come back too), must give the same file. GDMScale is the exception: six
// decimals cannot hold every float, so it is carried over by hand.
void FuzzCheckRoundTrip() {
    const std::string first = core::ConfigFileBytes();
    const float scale = core::S().settings.GDMScale;
    if (FuzzRead(&first, &first).result != core::ConfigLoad::Ok) std::abort();
    core::S().settings.GDMScale = scale;
    if (core::ConfigFileBytes() != first) std::abort();
}

// A "|" inside a job's paths cannot be written as one field; only the
// oldest layout, whose single job stood in two keys of its own, lets one in.
// Windows forbids "|" in paths, so such a job was never usable anyway.
bool FuzzFieldsWritable() {
    for (const core::Job& job : core::S().Jobs.items) {
        if (job.Src.find(L'|') != std::wstring::npos) return false;
        if (job.Dest.find(L'|') != std::wstring::npos) return false;
    }
    for (const core::ArcIndivEntry& entry : core::S().ArcIndiv.items) {
        if (entry.Path.find(L'|') != std::wstring::npos) return false;
    }
    return true;
}

void FuzzOne(const std::string* programDirIni, const std::string* iniFile) {
    if (FuzzRead(programDirIni, iniFile).result == core::ConfigLoad::Ok && FuzzFieldsWritable()) {
        FuzzCheckRoundTrip();
    } else {
        core::ConfigFileBytes();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    FuzzOne(nullptr, &input);
    // The first byte chooses where the rest splits into the program
    // directory's file and the file in use.
    if (size > 1) {
        const size_t cut = 1 + (static_cast<size_t>(data[0]) * (size - 1)) / 255;
        const std::string programDir = input.substr(1, cut - 1);
        const std::string inUse = input.substr(cut);
        FuzzOne(&programDir, &inUse);
    }
    return 0;
}
