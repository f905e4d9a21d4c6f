// "Set bearbeiten": the modal loop of the job editor and what its buttons
// do. The job changes only on "OK"; until then everything lives in the
// window's fields.
#include "dialogs/job_editor.h"

#include "core/config.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "dialogs/design_units.h"
#include "dialogs/modal_loop.h"
#include "dialogs/path_chooser.h"
#include "ui/job_list.h"
#include "ui/message.h"
#include "ui/view_state.h"
#include "ui/widgets.h"

namespace dialogs {

// An empty answer only comes when the chooser could not open (it has said
// so); the field keeps what the user had there rather than losing it.
static void EditorChooseInto(int field, const std::wstring& title) {
    const std::wstring path = ChoosePath(plat::GetGadgetText(field), title);
    if (!path.empty()) plat::SetGadgetText(field, path);
}

// The button says which part is shown: the height need not be the design's
// (a screen too small for it, a change of DPI while open).
static void EditorToggleSize() {
    const bool expanded = plat::GetGadgetText(EditorMoreButton) == L"Weniger...";
    const int height = Scaled(expanded ? kEditorCollapsedHeight : kEditorExpandedHeight);
    plat::ResizeWindow(EditorWindow, plat::kKeep, plat::kKeep, plat::kKeep, height);
    plat::KeepWindowOnScreen(EditorWindow);
    plat::SetGadgetText(EditorMoreButton, expanded ? L"Mehr..." : L"Weniger...");
}

// A click on a row puts it into the fields for "Ändern".
static void EditorExceptionPicked() {
    const int row = plat::GetListCurrentRow(EditorExceptionList);
    if (row < 0) return;
    plat::SetGadgetText(EditorExceptionPathField, plat::GetListCell(EditorExceptionList, row, 0));
    plat::SetGadgetText(EditorExceptionIntervalField, plat::GetListCell(EditorExceptionList, row, 1));
    plat::SetGadgetText(EditorExceptionVersionsField, plat::GetListCell(EditorExceptionList, row, 2));
    const bool recursive = ParseNumber(plat::GetListCell(EditorExceptionList, row, 3)) != 0;
    plat::SetGadgetState(EditorExceptionRecursiveCheck, recursive ? 1 : 0);
}

// "Neu" appends the path as typed, "Ändern" overwrites the selected row
// with a trailing "\" added. The messages only warn: a directory that does
// not exist yet may be meant, and the numbers are read at "OK".
static void EditorExceptionStore(bool replace) {
    const std::wstring path = plat::GetGadgetText(EditorExceptionPathField);
    for (const std::wstring& message : ExceptionMessages(path, plat::GetGadgetText(EditorDestField)))
        ui::ShowMessage(message, 0, L"Meldung");
    const std::wstring interval = plat::GetGadgetText(EditorExceptionIntervalField);
    const std::wstring versions = plat::GetGadgetText(EditorExceptionVersionsField);
    const std::wstring recursive = plat::GetGadgetState(EditorExceptionRecursiveCheck) ? L"1" : L"0";
    if (!replace) {
        plat::AddListRow(EditorExceptionList, -1, {path, interval, versions, recursive});
        return;
    }
    const int row = plat::GetListCurrentRow(EditorExceptionList);
    if (row < 0) return;
    plat::SetListCell(EditorExceptionList, row, 0, core::AddBackslash(path));
    plat::SetListCell(EditorExceptionList, row, 1, interval);
    plat::SetListCell(EditorExceptionList, row, 2, versions);
    plat::SetListCell(EditorExceptionList, row, 3, recursive);
}

static void EditorExceptionDelete() {
    const int row = plat::GetListCurrentRow(EditorExceptionList);
    if (row >= 0) plat::RemoveListRow(EditorExceptionList, row);
}

static void EditorCommit(int32_t sid) {
    core::Job* job = core::FindJob(sid);
    if (!job) return;
    if (CommitEditorValues(*job, ReadEditorValues()))
        ui::ShowMessage(L"Hinweis: Es existieren Archiv-Ausnahmen, welche nicht im Ziel enthalten sind...", 0,
                        L"Meldung");
}

bool JobEditorEvent(const plat::GuiEvent& event, int32_t sid) {
    if (event.window != EditorWindow) return false;
    if (event.kind == plat::EventKind::CloseWindow) return true;
    if (event.kind != plat::EventKind::Gadget) return false;
    switch (event.id) {
        case EditorSourceButton:
            EditorChooseInto(EditorSourceField, L"Quellpfad wählen");
            break;
        case EditorDestButton:
            EditorChooseInto(EditorDestField, L"Zielpfad wählen");
            break;
        case EditorMoreButton:
            EditorToggleSize();
            break;
        case EditorExceptionList:
            EditorExceptionPicked();
            break;
        case EditorExceptionNewButton:
            EditorExceptionStore(false);
            break;
        case EditorExceptionChangeButton:
            EditorExceptionStore(true);
            break;
        case EditorExceptionDeleteButton:
            EditorExceptionDelete();
            break;
        case EditorCancelButton:
            return true;
        case EditorOkButton:
            EditorCommit(sid);
            return true;
        default:
            break;
    }
    return false;
}

void EditJob() {
    const core::Job* job = ui::CurrentJob();
    if (!job) return;
    const int32_t sid = job->Sid;
    if (!OpenJobEditor(EditorValuesOf(*job))) {
        ui::ShowMessage(L"Fehler! Konnte SetEdit Fenster nicht öffnen", 0, L"Meldung");
        return;
    }
    const ModalHold hold = BeginModal(EditorWindow, MainOwner());
    RunModal(hold, [sid](const plat::GuiEvent& event) { return JobEditorEvent(event, sid); });
    EndModal(hold);
    ui::RefreshJobList();
    core::WriteConfig();
}

}  // namespace dialogs
