// The standard backup set-up: one question (where to), then up to three
// jobs for the user's profile, the documents when they live outside it, and
// the public profile. Adding is idempotent: a source that an existing job
// already covers is not added again, so the set-up may run at every start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/records.h"
#include "ui/widgets.h"

namespace dialogs {

// The set-up window "Standard Datenbackups einrichten" and its controls.
enum : int {
    StdSetupWindow = ui::kStandardSetupIds,
    StdPromptText,
    StdPickButton,  // "Ziel:"
    StdDestField,
    StdInfoText,
    StdNoAutoButton,  // "Abbrechen - Backups nicht automatisch hinzufügen"
    StdCancelButton,  // "Abbrechen"
    StdOkButton,
};

// Interactive (the menu command "Standard Jobs dazu") always asks for the
// destination; automatic mode (at start, GStdAuto 1) asks only when no
// GStdBupPath is stored.
void StandardSetup(bool interactive);

// Adds one job from `source` to `destination` unless the source is missing
// or an existing job covers it, then searches its exclusions. True when a
// job was added.
bool AddStandardJob(const std::wstring& source, const std::wstring& destination);

// True when some job's source contains `source` (ignoring case) and that
// job does not exclude it.
bool SourceCovered(const std::wstring& source);

// "Ø" stands in for a missing USERNAME, so the destinations stay apart
// from the public one.
std::wstring StandardUserName();

// The modal set-up window: the chosen destination (ending in "\"), or the
// empty text when the user cancelled. Open and Run are its two halves:
// Open shows the window with its proposal and disables the main window
// (false, after a message, when it cannot be made); Run handles the user
// until the window closes.
std::wstring StandardSetupWindow();
bool OpenSetupWindow();
std::wstring RunSetupWindow();

// What the window proposes before the user acts: a stored GStdBupPath that
// exists, else a drive found by ProposeBackupDrive, with its message.
std::wstring InitialSetupDest();

// The walk over `drives`, which it sorts by free bytes, most first: the
// first drive that holds neither the profile nor the documents and is not
// the system drive; a network drive only when nothing else qualifies. The
// three paths are upper case and end in "\". Empty when none qualifies.
std::wstring ProposeBackupDrive(std::vector<core::Drive>& drives, const std::wstring& profile,
                                const std::wstring& systemDrive, const std::wstring& documents);

}  // namespace dialogs
