#include <unistd.h>

#include <cstdlib>

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
    std::wstring path = FromHost(host);
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
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
