#include "core/startup_paths.h"

#include <vector>

#include "core/folder_vars.h"
#include "core/text_helpers.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace core {

static constexpr int kCsidlAppData = 26;
static constexpr int kCsidlCommonAppData = 35;

std::wstring DetermineProgramDir() { return plat::PathFolder(plat::ProgramFile()); }

// Versions before "TresoroData\" kept the configuration and the logs directly
// in the application-data folder; they move along on the first start. Only
// files are taken: the pattern would also match "TresoroData" itself and any
// other folder whose name begins with "Tresoro".
static void StartupMoveOldFiles(const std::wstring& base, const std::wstring& configDir) {
    std::vector<plat::DirEntry> entries;
    if (!plat::ListDir(base, L"Tresoro*.*", entries)) return;
    for (const plat::DirEntry& entry : entries) {
        if (entry.attributes & plat::kAttrDirectory) continue;
        (void)plat::MoveEntry(base + entry.name, configDir + entry.name);  // a failure leaves it in place
    }
}

std::wstring DetermineConfigDir(std::wstring& createFailedMessage) {
    createFailedMessage.clear();
    std::wstring base = AddBackslash(FolderPath(kCsidlAppData));
    // Before any user logs on the process runs under the default profile,
    // whose settings no user would ever see; all users' data is used then.
    // Windows paths ignore case, and so does this test.
    if (plat::ToUpper(base).find(L"\\DEFAULT USER\\") != std::wstring::npos) {
        base = AddBackslash(FolderPath(kCsidlCommonAppData));
    }
    std::wstring configDir = base + L"TresoroData\\";
    if (plat::DirExists(configDir)) return configDir;
    if (plat::CreateDir(configDir)) {
        StartupMoveOldFiles(base, configDir);
        return configDir;
    }
    createFailedMessage = L"Kann Konfigurationsverzeichnis nicht anlegen:" + configDir;
    return base;
}

}  // namespace core
