// The job editor's window: its gadgets in design units, and the way values
// go into the fields and come out again.
#include "dialogs/design_units.h"
#include "dialogs/job_editor.h"
#include "platform/gui.h"
#include "ui/widgets.h"

namespace dialogs {

static const wchar_t* const kArchiveExplained =
    L"Wenn gesetzt, werden Daten im Ziel nicht überschrieben, sondern in den Archivordner '@' "
    L"verschoben. Intervall: Dateien werden nach dieser Zeit neu archiviert. Versionen: Soviele "
    L"Archivdateien werden behalten, dann werden die ältesten wieder überschrieben.";

static bool LayoutOpenWindow() {
    const plat::Box box{0, 0, Scaled(500), Scaled(kEditorCollapsedHeight)};
    if (plat::WindowExists(ui::MainWindow))
        return plat::OpenWindow(EditorWindow, L"Set bearbeiten", box, plat::kWinSystemMenu | plat::kWinCenterOwner,
                                ui::MainWindow);
    return plat::OpenWindow(EditorWindow, L"Set bearbeiten", box, plat::kWinSystemMenu | plat::kWinCenterScreen);
}

// The upper part: directories, the job's archive values, the buttons.
static bool LayoutJobPart() {
    const int w = EditorWindow;
    using plat::Box;
    // Arial's "Quelle:" needs 41 units with the button's margins; both
    // buttons take 43, so that no DPI's rounding cuts the colon.
    bool ok = plat::CreateButton(EditorSourceButton, w, Scaled(Box{5, 5, 43, 20}), L"Quelle:");
    ok = ok && plat::CreateEdit(EditorSourceField, w, Scaled(Box{50, 5, 445, 20}), L"");
    ok = ok && plat::CreateButton(EditorDestButton, w, Scaled(Box{5, 30, 43, 20}), L"Ziel:");
    ok = ok && plat::CreateEdit(EditorDestField, w, Scaled(Box{50, 30, 445, 20}), L"");
    ok = ok && plat::CreateFrame(EditorArchiveFrame, w, Scaled(Box{5, 55, 490, 100}), L"Archivieren");
    // Three lines with Arial's widths need 485 units: the box reaches into
    // the frame's margins on both sides.
    ok = ok && plat::CreateText(EditorArchiveText, w, Scaled(Box{8, 75, 485, 45}), kArchiveExplained);
    ok = ok && plat::CreateText(EditorArcIntervalLabel, w, Scaled(Box{15, 125, 115, 20}), L"Archiv-Intervall Tage:");
    ok = ok && plat::CreateSpin(EditorArcIntervalSpin, w, Scaled(Box{135, 125, 50, 20}), 0, 999);
    ok = ok && plat::CreateText(EditorArcVersionsLabel, w, Scaled(Box{200, 125, 105, 20}), L"Anzahl Versionen:");
    ok = ok && plat::CreateSpin(EditorArcVersionsSpin, w, Scaled(Box{310, 125, 50, 20}), -1, 999);
    // Wide enough for "Weniger...", growing to the left into free space.
    ok = ok && plat::CreateButton(EditorMoreButton, w, Scaled(Box{425, 125, 65, 20}), L"Mehr...");
    ok = ok && plat::CreateText(EditorBupIntervalLabel, w, Scaled(Box{7, 160, 123, 20}), L"Backup-Intervall Tage:");
    ok = ok && plat::CreateSpin(EditorBupIntervalSpin, w, Scaled(Box{130, 160, 50, 20}), 0, 999);
    ok = ok && plat::CreateButton(EditorOkButton, w, Scaled(Box{230, 160, 60, 20}), L"OK");
    ok = ok && plat::CreateButton(EditorCancelButton, w, Scaled(Box{295, 160, 70, 20}), L"Abbrechen");
    ok = ok && plat::CreateCheckBox(EditorOptionalCheck, w, Scaled(Box{415, 160, 80, 20}), L"Fakultativ");
    if (!ok) return false;
    plat::SetGadgetToolTip(EditorArcIntervalSpin, L"0=jederzeit");
    plat::SetGadgetToolTip(EditorArcVersionsSpin, L"0=deaktiviert / -1=maximum");
    plat::SetGadgetToolTip(EditorBupIntervalSpin,
                           L"Nach wie vielen Tagen soll das Backup wieder gemacht werden - Standard=0 -> jederzeit");
    plat::SetGadgetToolTip(EditorOptionalCheck,
                           L"Set nicht zwingend erforderlich (fehlendes Verzeichnis verursacht keinen Fehler)");
    return true;
}

// The lower part, shown when the window is expanded: the archive
// exceptions of the job.
static bool LayoutExceptionPart() {
    const int w = EditorWindow;
    using plat::Box;
    bool ok = plat::CreateFrame(EditorExceptionFrame, w, Scaled(Box{5, 190, 490, 205}),
                                L"Abweichende Ziel-Verzeichnisse (Archivieren)");
    ok = ok && plat::CreateText(EditorExceptionPathLabel, w, Scaled(Box{15, 215, 70, 15}), L"Pfad");
    ok = ok && plat::CreateButton(EditorExceptionNewButton, w, Scaled(Box{155, 210, 50, 20}), L"Neu");
    ok = ok && plat::CreateButton(EditorExceptionDeleteButton, w, Scaled(Box{210, 210, 65, 20}), L"Löschen");
    ok = ok && plat::CreateButton(EditorExceptionChangeButton, w, Scaled(Box{280, 210, 55, 20}), L"Ändern");
    // Arial's hinting makes the text wider than in proportion at 150 and
    // 200 %: 95 units hold it at 100 % only.
    ok =
        ok && plat::CreateText(EditorExceptionNumbersLabel, w, Scaled(Box{385, 215, 105, 15}), L"Int., Anz., rekursiv");
    ok = ok && plat::CreateEdit(EditorExceptionPathField, w, Scaled(Box{15, 235, 380, 20}), L"");
    ok = ok && plat::CreateEdit(EditorExceptionIntervalField, w, Scaled(Box{400, 235, 25, 20}), L"");
    ok = ok && plat::CreateEdit(EditorExceptionVersionsField, w, Scaled(Box{430, 235, 25, 20}), L"");
    ok = ok && plat::CreateCheckBox(EditorExceptionRecursiveCheck, w, Scaled(Box{460, 235, 25, 20}), L"");
    ok = ok && plat::CreateListView(EditorExceptionList, w, Scaled(Box{15, 260, 470, 125}),
                                    plat::kListFullRowSelect | plat::kListAlwaysShowSelection);
    // Column widths are pixels, like every list column of the program.
    ok = ok && plat::AddListColumn(EditorExceptionList, 0, L"Pfad", 370);
    ok = ok && plat::AddListColumn(EditorExceptionList, 1, L"Int", 30);
    ok = ok && plat::AddListColumn(EditorExceptionList, 2, L"A", 25);
    ok = ok && plat::AddListColumn(EditorExceptionList, 3, L"R", 20);
    return ok;
}

static void LayoutFill(const EditorValues& values) {
    plat::SetGadgetText(EditorSourceField, values.source);
    plat::SetGadgetText(EditorDestField, values.dest);
    plat::SetGadgetState(EditorArcIntervalSpin, values.arcInterval);
    plat::SetGadgetState(EditorArcVersionsSpin, values.arcVersions);
    plat::SetGadgetState(EditorBupIntervalSpin, values.bupInterval);
    plat::SetGadgetState(EditorOptionalCheck, values.optional ? 1 : 0);
    for (const ExceptionRow& row : values.exceptions)
        plat::AddListRow(EditorExceptionList, -1, std::vector<std::wstring>(row.begin(), row.end()));
    // A job with exceptions opens with them in view.
    if (!values.exceptions.empty()) {
        plat::ResizeWindow(EditorWindow, plat::kKeep, plat::kKeep, plat::kKeep, Scaled(kEditorExpandedHeight));
        plat::KeepWindowOnScreen(EditorWindow);
        plat::SetGadgetText(EditorMoreButton, L"Weniger...");
    }
}

bool OpenJobEditor(const EditorValues& values) {
    if (!LayoutOpenWindow()) return false;
    if (!LayoutJobPart() || !LayoutExceptionPart()) {
        plat::RemoveWindow(EditorWindow);
        return false;
    }
    LayoutFill(values);
    plat::SetDialogKeys(EditorWindow, EditorOkButton, EditorCancelButton);
    return true;
}

EditorValues ReadEditorValues() {
    EditorValues values;
    values.source = plat::GetGadgetText(EditorSourceField);
    values.dest = plat::GetGadgetText(EditorDestField);
    values.arcInterval = plat::GetGadgetState(EditorArcIntervalSpin);
    values.arcVersions = plat::GetGadgetState(EditorArcVersionsSpin);
    values.bupInterval = plat::GetGadgetState(EditorBupIntervalSpin);
    values.optional = plat::GetGadgetState(EditorOptionalCheck) != 0;
    const int rows = plat::GetListRowCount(EditorExceptionList);
    for (int r = 0; r < rows; ++r) {
        ExceptionRow row;
        for (int c = 0; c < 4; ++c) row[c] = plat::GetListCell(EditorExceptionList, r, c);
        values.exceptions.push_back(row);
    }
    return values;
}

}  // namespace dialogs
