// Any bytes as the month's log files, loaded at start: the loader must
// neither crash nor hang, what it shows must come back unchanged through a
// save and a second load, and a load broken off by closing the window must
// leave the file's whole older part under whatever the next save adds.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/records.h"
#include "core/state.h"
#include "log/channels.h"
#include "log/log_files.h"
#include "log/log_viewer.h"
#include "platform/testing.h"

namespace {

const int kKinds[3] = {core::kLogNormal, core::kLogError, core::kLogHint};

// The configuration folder: a scratch folder seen as "K:\", removed at exit
// (the name lives on the heap: static strings are gone by then).
const std::string& FuzzDir() {
    static const std::string* dir = [] {
        // In memory where the host has it: every save syncs its file to disk.
        char pattern[] = "/dev/shm/tresoro-logfuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made || !plat::MapDrive(L"K:", made)) std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(FuzzDir(), ignored);
        });
        return new std::string(made);
    }();
    return *dir;
}

std::string FuzzHostPath(int kind) {
    const std::wstring name = logs::LogFileName(kind, logs::CurrentMonth());
    return FuzzDir() + "/" + std::string(name.begin(), name.end());  // the names are ASCII
}

void FuzzWrite(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::abort();
}

std::string FuzzRead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool g_closeWindow = false;
bool FuzzDrain() { return g_closeWindow; }

void FuzzStart() {
    logs::ResetLogState();
    core::S().paths.ConfigDir = L"K:\\";
    logs::LogViewerWindow window;
    window.drainUntilClose = &FuzzDrain;
    logs::SetLogViewerWindow(window);
}

// Loaded, saved and loaded again: the same three texts.
void FuzzCheckRoundTrip() {
    FuzzStart();
    logs::LoadLogs();
    std::wstring shown[3];
    for (int i = 0; i < 3; ++i) shown[i] = logs::ChannelText(kKinds[i]);
    logs::SaveLogs();
    FuzzStart();
    logs::LoadLogs();
    for (int i = 0; i < 3; ++i)
        if (logs::ChannelText(kKinds[i]) != shown[i]) std::abort();
}

// Closing the window during the load: a line logged afterwards is saved
// above the file's body, of which nothing is lost.
void FuzzCheckBrokenLoad(const std::string bodies[3]) {
    FuzzStart();
    g_closeWindow = true;
    logs::LoadLogs();
    g_closeWindow = false;
    for (int kind : kKinds) logs::AddLog(L"Neue Zeile", kind);
    logs::SaveLogs();
    for (int i = 0; i < 3; ++i) {
        const std::string saved = FuzzRead(FuzzHostPath(kKinds[i]));
        if (saved.size() < bodies[i].size() ||
            saved.compare(saved.size() - bodies[i].size(), bodies[i].size(), bodies[i]) != 0)
            std::abort();
        if (saved.find("Neue Zeile") == std::string::npos) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first two bytes cut the rest into the three files.
    const std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const size_t cut1 = (static_cast<size_t>(data[0]) * rest.size()) / 255;
    const size_t cut2 = cut1 + (static_cast<size_t>(data[1]) * (rest.size() - cut1)) / 255;
    const std::string files[3] = {rest.substr(0, cut1), rest.substr(cut1, cut2 - cut1), rest.substr(cut2)};

    std::string bodies[3];
    for (int i = 0; i < 3; ++i) {
        FuzzWrite(FuzzHostPath(kKinds[i]), files[i]);
        bodies[i] = files[i].substr(logs::LogByteOrderMarkLength(files[i]));
    }
    FuzzCheckBrokenLoad(bodies);

    for (int i = 0; i < 3; ++i) FuzzWrite(FuzzHostPath(kKinds[i]), files[i]);
    FuzzCheckRoundTrip();
    return 0;
}
