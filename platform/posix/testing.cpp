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
    T().drives[key] = MappedDrive{dir, type, label};
    return true;
}

bool UnmapDrive(const std::wstring& root) {
    const std::wstring key = WithoutTrailingSeparator(ToUpper(root));
    return T().drives.erase(key) > 0;
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

void ResetTestTables() {
    ResetTables();
    ResetShutdownForTest();
    ResetShellOpenedForTest();
}

bool PortableLayer() { return true; }

}  // namespace plat
