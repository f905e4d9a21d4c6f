#include "bench/host_folders.h"

#include <filesystem>

#include "platform/testing.h"
#include "platform/text.h"

namespace bench {

std::string HostDir(const std::string& path) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(path, error);
    if (error || !std::filesystem::is_directory(resolved, error)) return "";
    return resolved.string();
}

bool MapFolder(const std::wstring& drive, const std::string& host, std::wstring& windowsPath) {
    const size_t slash = host.find_last_of('/');
    if (slash == std::string::npos || slash + 1 >= host.size()) return false;
    const std::string parent = slash == 0 ? "/" : host.substr(0, slash);
    if (!plat::MapDrive(drive, parent)) return false;
    windowsPath = drive + L"\\" + plat::Utf8ToWide(host.substr(slash + 1)) + L"\\";
    return true;
}

}  // namespace bench
