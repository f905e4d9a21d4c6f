// "Set bearbeiten": the modal editor of the current job, with the job's
// archive exceptions (per-directory archive settings inside its
// destination).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/records.h"
#include "platform/gui.h"
#include "ui/widgets.h"

namespace dialogs {

// Edits ui::CurrentJob() until the user closes the editor; "OK" writes the
// fields into the job, "Abbrechen" and the close box leave it. Afterwards,
// whichever way it closed, the job list is refilled and the configuration
// file written. Nothing happens without a current job.
void EditJob();

enum : int {
    EditorWindow = ui::kJobEditorIds,
    EditorSourceButton,
    EditorSourceField,
    EditorDestButton,
    EditorDestField,
    EditorArchiveFrame,
    EditorArchiveText,
    EditorArcIntervalLabel,
    EditorArcIntervalSpin,
    EditorArcVersionsLabel,
    EditorArcVersionsSpin,
    EditorMoreButton,
    EditorBupIntervalLabel,
    EditorBupIntervalSpin,
    EditorOkButton,
    EditorCancelButton,
    EditorOptionalCheck,
    EditorExceptionFrame,
    EditorExceptionPathLabel,
    EditorExceptionNewButton,
    EditorExceptionDeleteButton,
    EditorExceptionChangeButton,
    EditorExceptionNumbersLabel,
    EditorExceptionPathField,
    EditorExceptionIntervalField,
    EditorExceptionVersionsField,
    EditorExceptionRecursiveCheck,
    EditorExceptionList,
};

// Window heights in design units: only the upper part, or with the list of
// archive exceptions.
constexpr int kEditorCollapsedHeight = 185;
constexpr int kEditorExpandedHeight = 400;

// ---------------------------------------------------------------- rules
// What the editor does to the job, apart from any window.

// One row of the exception list as the user sees it: path, interval,
// versions, and "1" or "0" for recursive.
using ExceptionRow = std::array<std::wstring, 4>;

// What the editor's fields hold.
struct EditorValues {
    std::wstring source;
    std::wstring dest;
    int32_t arcInterval = 0;
    int32_t arcVersions = 0;
    int32_t bupInterval = 0;
    bool optional = false;
    std::vector<ExceptionRow> exceptions;
};

// The fields as the editor opens on `job`: its values and one row per
// ArcIndiv entry of the job, in list order, numbers in decimal.
EditorValues EditorValuesOf(const core::Job& job);

// "OK": writes the values into the job (directories with a trailing "\",
// only the Optional bit of Flags) and replaces the job's ArcIndiv entries
// by the rows, then sorts ArcIndiv by path without regard to case. True
// when an exception lies outside the destination (a case-sensitive
// substring test), so the hint is due; the entries are kept all the same.
bool CommitEditorValues(core::Job& job, const EditorValues& values);

// The text of a number field: leading blanks and tabs, an optional sign,
// then decimal digits, hexadecimal ones after "$" or binary ones after "%",
// up to the first other character; 0 when no digit follows. Beyond the
// 32-bit range it sticks at the limit.
int32_t ParseNumber(const std::wstring& text);

// The messages "Neu" and "Ändern" show for the exception path `path` and
// the destination field's text `dest`, both as typed: a path that is no
// directory, a path that does not contain the destination. They warn only.
std::vector<std::wstring> ExceptionMessages(const std::wstring& path, const std::wstring& dest);

// ---------------------------------------------------------------- window
// The pieces of the "Set bearbeiten" window, public for the window tests.

// Creates the window centred on the main window and fills it from `values`,
// expanded when there are exceptions. False (nothing left open) when a
// window or gadget cannot be created.
bool OpenJobEditor(const EditorValues& values);
// The fields as they stand.
EditorValues ReadEditorValues();
// Handles one event of the editor window for the job `sid`; true when the
// editor is done ("OK" has then been committed).
bool JobEditorEvent(const plat::GuiEvent& event, int32_t sid);

}  // namespace dialogs
