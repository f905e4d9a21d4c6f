// The help file: written to ConfigDir when it is missing or of another size,
// then handed to the shell, which opens it in the system's help viewer.
#include "dialogs/help_file.h"

#include <vector>

#include "core/state.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "resources/program_data.h"
#include "ui/message.h"

namespace dialogs {

static const wchar_t* const kHelpFileName = L"TresoroHilfe.chm";

std::wstring HelpFilePath() { return core::S().paths.ConfigDir + kHelpFileName; }

// True when a file (not a directory) of exactly `size` bytes is at
// ConfigDir + the help file's name.
static bool HelpFileHasSize(uint64_t size) {
    std::vector<plat::DirEntry> entries;
    if (!plat::ListDir(core::S().paths.ConfigDir, kHelpFileName, entries)) return false;
    for (const plat::DirEntry& entry : entries)
        if ((entry.attributes & plat::kAttrDirectory) == 0 && entry.size == size) return true;
    return false;
}

bool WriteHelpFileWith(const uint8_t* data, size_t size) {
    const std::wstring path = HelpFilePath();
    // The size alone decides: comparing the content would read the whole
    // file at every "Hilfe", and each program version brings its own size.
    if (HelpFileHasSize(size)) return true;
    // Through a temporary file, so that a full disk never leaves a cut-off
    // help file of the wrong size behind.
    if (!plat::WriteFileReplacing(path, std::string(reinterpret_cast<const char*>(data), size))) {
        ui::ShowMessage(L"Konnte Hilfedatei nicht erstellen: " + path, 0, L"Meldung");
        return false;
    }
    return true;
}

bool WriteHelpFile() { return WriteHelpFileWith(res::kHelpFile, res::kHelpFileSize); }

void OpenHelp() {
    const std::wstring path = HelpFilePath();
    // After a failed write an older help file may still be there and is
    // better than none; without any file the write's message is enough.
    if (!WriteHelpFile() && !plat::FileExists(path)) return;
    if (!plat::OpenWithShell(path)) ui::ShowMessage(L"Kann Hilfedatei nicht öffnen: " + path, 0, L"Meldung");
}

}  // namespace dialogs
