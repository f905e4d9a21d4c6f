// Test set-up on Windows: the real system answers, so the drive, folder and
// screen tables cannot be changed, and the mutex and shell records of the
// portable layer have nothing to record. Environment variables are real; the ones
// a test sets are put back when the tables are reset, so no test sees what
// an earlier one left.
#include <windows.h>

#include <map>
#include <optional>
#include <vector>

#include "platform/power.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/testing.h"
#include "platform/win32/wide_path.h"

namespace plat {

// Original value (or absence) of each variable a test has changed.
static std::map<std::wstring, std::optional<std::wstring>> g_testingSavedEnv;
static std::vector<HANDLE> g_testingHeld;

static std::optional<std::wstring> TestingReadEnv(const std::wstring& name) {
    DWORD need = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (need == 0) {
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::wstring();
    }
    std::wstring value(need, L'\0');
    DWORD got = GetEnvironmentVariableW(name.c_str(), value.data(), need);
    value.resize(got < need ? got : 0);
    return value;
}

bool MapDrive(const std::wstring&, const std::string&, unsigned, const std::wstring&) { return false; }

bool UnmapDrive(const std::wstring&) { return false; }

bool SetSpecialFolderForTest(int, const std::wstring&) { return false; }

// An empty value removes the variable, which GetEnv reports as empty too.
bool SetEnvForTest(const std::wstring& name, const std::wstring& value) {
    if (!g_testingSavedEnv.count(name)) g_testingSavedEnv[name] = TestingReadEnv(name);
    return SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str()) != 0;
}

bool SetScreenDpiForTest(int) { return false; }
bool SetNamedTempCopiesForTest(bool) { return false; }
uint32_t AwakeStateForTest() { return 0; }
bool MarkEntryForTest(const std::wstring&, uint32_t, uint32_t) { return false; }
bool SetDriveFileSystemForTest(const std::wstring&, const std::wstring&) { return false; }

void SetForeignMutexForTest(const std::wstring&) {}
void ResetMutexesForTest() {}

std::vector<std::wstring> ShellOpenedForTest() { return {}; }
void FailOpenWithShellForTest(uint32_t) {}
void ResetShellOpenedForTest() {}

bool HoldFileForTest(const std::wstring& path) {
    HANDLE file = CreateFileW(win32::Literal(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    g_testingHeld.push_back(file);
    return true;
}

void ReleaseHeldFilesForTest() {
    for (HANDLE file : g_testingHeld) CloseHandle(file);
    g_testingHeld.clear();
}

void ResetTestTables() {
    ReleaseHeldFilesForTest();
    for (const auto& [name, value] : g_testingSavedEnv)
        SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
    g_testingSavedEnv.clear();
    // Also marks this process as a test process that never powers off.
    ResetShutdownForTest();
}

bool PortableLayer() { return false; }

}  // namespace plat
