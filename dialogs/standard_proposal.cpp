// The destination the set-up window proposes: the stored one, or a drive
// that is neither the system's nor the one holding the user's data, with the
// most free space: typically the external disk just plugged in.
#include <algorithm>

#include "core/drives.h"
#include "core/folder_vars.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "dialogs/standard_setup.h"
#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "ui/message.h"

namespace dialogs {

static std::wstring StdTrimBlanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return L"";
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

std::wstring ProposeBackupDrive(std::vector<core::Drive>& drives, const std::wstring& profile,
                                const std::wstring& systemDrive, const std::wstring& documents) {
    // Stable, so drives with equal space keep the system's order.
    std::stable_sort(drives.begin(), drives.end(),
                     [](const core::Drive& a, const core::Drive& b) { return a.FreeBytes > b.FreeBytes; });
    std::wstring network;
    for (const core::Drive& drive : drives) {
        // Sorted, so from here on there is only full media or none at all.
        if (drive.FreeBytes == 0) break;
        const std::wstring root = plat::ToUpper(core::AddBackslash(drive.Root));
        if (profile.find(root) != std::wstring::npos || root == systemDrive || root == documents) continue;
        // A network share may be slow or away at the next run: a local disk
        // further down the list is the better proposal.
        if (drive.Type == static_cast<int32_t>(plat::kDriveRemote)) {
            if (network.empty()) network = core::AddBackslash(drive.Root);
            continue;
        }
        return core::AddBackslash(drive.Root);
    }
    return network;
}

std::wstring InitialSetupDest() {
    const std::wstring stored = StdTrimBlanks(core::S().settings.GStdBupPath);
    if (!stored.empty() && plat::DirExists(stored)) return core::AddBackslash(stored);
    auto upperDir = [](const std::wstring& path) { return plat::ToUpper(core::AddBackslash(path)); };
    const std::wstring profile = upperDir(core::FolderPath(40));
    const std::wstring systemDrive = upperDir(plat::GetEnv(L"SystemDrive"));
    const std::wstring documents = upperDir(core::FolderPath(5));
    std::vector<core::Drive> drives = core::ListDrives();
    const std::wstring proposal = ProposeBackupDrive(drives, profile, systemDrive, documents);
    if (!proposal.empty()) {
        ui::ShowMessage(L"Habe als mögliches Backupziel '" + proposal + L"' gefunden - bitte passen Sie dies ggfs. an!",
                        0, L"Meldung");
    } else {
        ui::ShowMessage(L"Konnte kein passendes Backupziel als Vorschlag finden - bitte wählen Sie selber!", 0,
                        L"Meldung");
    }
    return proposal;
}

}  // namespace dialogs
