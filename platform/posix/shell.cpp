#include <unistd.h>

#include <cstdlib>

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/posix/host.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace plat {

using namespace posix;

std::wstring SpecialFolder(int csidl) {
    auto it = T().specialFolders.find(csidl);
    return it == T().specialFolders.end() ? L"" : it->second;
}

std::wstring TempDir() {
    const char* tmp = getenv("TMPDIR");
    std::string host = tmp && *tmp ? tmp : "/tmp";
    return AddBackslash(FromHost(host));
}

std::wstring ProgramFile() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return L"";
    return FromHost(std::string(buffer, static_cast<size_t>(n)));
}

std::wstring GetEnv(const std::wstring& name) {
    // Windows compares variable names without regard to case.
    for (const auto& entry : T().env)
        if (EqualNoCase(entry.first, name)) return entry.second;
    const char* value = getenv(WideToUtf8(name).c_str());
    return value ? Utf8ToWide(value) : L"";
}

int ScreenDpiX() { return T().dpi; }

}  // namespace plat

// Opening a document starts nothing here; the request is recorded for the
// tests, and a path that does not exist fails as it does on Windows.
namespace plat {

namespace {
std::vector<std::wstring> g_shellOpened;
uint32_t g_shellOpenFailure = 0;
}  // namespace

bool OpenWithShell(const std::wstring& path) {
    if (g_shellOpenFailure != 0) return posix::Fail(g_shellOpenFailure);
    if (GetAttributes(path) == kInvalidAttributes) return posix::Fail(kErrFileNotFound);
    g_shellOpened.push_back(path);
    return true;
}

std::vector<std::wstring> ShellOpenedForTest() { return g_shellOpened; }

void FailOpenWithShellForTest(uint32_t code) { g_shellOpenFailure = code; }

void ResetShellOpenedForTest() {
    g_shellOpened.clear();
    g_shellOpenFailure = 0;
}

// No shell here: the directory lists use their own German names.
std::wstring ShellColumnTitle(ShellColumn) { return L""; }
std::wstring ShellTypeName(const std::wstring&, bool, bool) { return L""; }

}  // namespace plat
