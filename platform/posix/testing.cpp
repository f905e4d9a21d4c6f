#include "platform/testing.h"
#include "platform/path_text.h"
#include "platform/posix/host.h"
#include "platform/power.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace plat {

using namespace posix;

bool MapDrive(const std::wstring& root, const std::string& hostDir, unsigned type, const std::wstring& label) {
    const std::wstring key = WithoutTrailingSeparator(ToUpper(root));
    std::string dir = hostDir;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    T().drives[key] = MappedDrive{dir, type, label, L""};
    return true;
}

bool UnmapDrive(const std::wstring& root) {
    const std::wstring key = WithoutTrailingSeparator(ToUpper(root));
    return T().drives.erase(key) > 0;
}

bool SetDriveFileSystemForTest(const std::wstring& root, const std::wstring& name) {
    auto it = T().drives.find(WithoutTrailingSeparator(ToUpper(root)));
    if (it == T().drives.end()) return false;
    it->second.fileSystem = name;
    return true;
}

bool SetSpecialFolderForTest(int csidl, const std::wstring& path) {
    T().specialFolders[csidl] = path;
    return true;
}

bool SetEnvForTest(const std::wstring& name, const std::wstring& value) {
    T().env[name] = value;
    return true;
}

bool SetScreenDpiForTest(int dpi) {
    T().dpi = dpi;
    return true;
}

bool SetNamedTempCopiesForTest(bool on) {
    T().namedTempCopies = on;
    return true;
}

bool HoldFileForTest(const std::wstring&) { return false; }
void ReleaseHeldFilesForTest() {}
uint32_t AwakeStateForTest() { return T().awakeState; }
bool MarkEntryForTest(const std::wstring& path, uint32_t attributes, uint32_t reparseTag) {
    std::string host;
    if (!ToHostEntry(path, host)) return false;
    SetEntryMark(host, EntryMark{attributes, reparseTag});
    return true;
}

void ResetTestTables() {
    ResetTables();
    ResetShutdownForTest();
    ResetShellOpenedForTest();
}

bool PortableLayer() { return true; }

}  // namespace plat
