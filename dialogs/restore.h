// "Daten Wiederherstellen": the modal window that shows a job's backup as
// it stood at a moment, folder by folder, with every version of a file, and
// restores a file or folder to its place in the source or into another
// folder. It only reads the backup (engine/restore.h).
//
// Keys: Tab moves between the gadgets, the arrows through a list, Enter
// on a folder (or "..") opens it, Enter in "Stand vom" shows that moment,
// Escape stops a restore and otherwise closes the window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/restore.h"
#include "platform/gui.h"
#include "ui/widgets.h"

namespace dialogs {

// The menu command "Wiederherstellen": the window over the main window,
// on the current job's backup, until the user closes it.
void RestoreData();

enum : int {
    RestoreWindow = ui::kRestoreIds,
    RestoreJobList,
    RestoreOtherButton,
    RestoreBackupLabel,
    RestoreAsOfLabel,
    RestoreAsOfField,
    RestoreAsOfButton,
    RestoreAsOfHint,
    RestoreFolderLabel,
    RestoreTreeList,
    RestoreVersionsLabel,
    RestoreVersionList,
    RestoreNameHint,
    RestoreOpenButton,
    RestoreHereButton,
    RestoreToButton,
    RestoreCancelButton,
    RestoreCloseButton,
    RestoreProgress,
    RestoreResultLine,
};

// Ids of the window's keys (its accelerators raise them as menu events).
enum : int { RestoreKeyEnter = 1, RestoreKeyEscape };

// ---- what the window shows, apart from any window ----

// One row of the folder list: ".." or an entry of the state.
struct RestoreRow {
    bool up = false;
    std::wstring path;  // below the job's root
    std::wstring name;
    const engine::Version* version = nullptr;  // nullptr: a folder
    bool inSource = true;                      // the source has it now
};

// The rows of `folder` ("" the root) in the state `items`: ".." first below
// the root, then the folders, then the files, each by name. `sourceNames`
// are the upper-cased names of that folder in the source now.
std::vector<RestoreRow> RestoreRowsOf(const std::vector<engine::StateItem>& items, const std::wstring& folder,
                                      const std::vector<std::wstring>& sourceNames);

// A file's versions, newest first.
std::vector<const engine::Version*> VersionsNewestFirst(const engine::CatalogEntry& entry);

// "Stand vom" as typed: empty (the newest state), "TT.MM.JJJJ hh:mm[:ss]" or
// "JJJJ-MM-TT hh:mm[:ss]". False for anything else.
bool ParseAsOfField(const std::wstring& text, int64_t& out);

// Copies the version to the temporary folder ("Tresoro\" there, under the
// name it would have beside its file) and opens the copy with its program.
// The copy's path, or "" (after a message) when it could not be made.
std::wstring OpenVersionCopy(const engine::Version& version, const std::wstring& name);

// ---- the window ----

// Opens the window centred on the main window, hidden. False (nothing
// left open) when a window or gadget cannot be created.
bool OpenRestoreWindow();
// Opens and shows it with the jobs listed and the current one chosen, whose
// backup is read at the window's first event. False after a message when it
// cannot be opened.
bool StartRestoreWindow();
// Handles one event of the window; true when it is done.
bool RestoreWindowEvent(const plat::GuiEvent& event);
// Shows the backup of the job `sid` (nothing when it has none).
void RestoreShowJob(int32_t sid);

}  // namespace dialogs
