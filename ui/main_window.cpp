#include "ui/main_window.h"

#include <cmath>

#include "core/config.h"
#include "core/state.h"
#include "dialogs/design_units.h"
#include "log/fatal_report.h"
#include "platform/gui.h"
#include "ui/anchors.h"
#include "ui/widgets.h"

namespace ui {

namespace {

// One widget of the layout tables, in design units.
struct MainWidget {
    int id;
    int x, y, w, h;
    const wchar_t* anchor;
};

plat::Box MainScaled(const MainWidget& w) {
    return plat::Box{dialogs::Scaled(w.x), dialogs::Scaled(w.y), dialogs::Scaled(w.w), dialogs::Scaled(w.h)};
}

// Creation goes through here so that each widget is registered with the
// design box it was created from, to follow resizes and changes of DPI.
bool MainAnchored(bool created, const MainWidget& w) {
    if (!created) return false;
    AnchorWidget(w.anchor, MainWindow, w.id, w.x, w.y, w.w, w.h);
    return true;
}

bool MainText(const MainWidget& w, int parent, const wchar_t* text, uint32_t flags = 0) {
    return MainAnchored(plat::CreateText(w.id, parent, MainScaled(w), text, flags), w);
}

bool MainRunStrip() {
    TRESORO_MARK(logs::kUnitLayouts);
    const MainWidget start{StartButton, 5, 5, 60, 20, L""};
    const MainWidget cancel{CancelButton, 70, 5, 75, 20, L""};
    const MainWidget shutdown{ShutdownCheck, 265, 5, 195, 15, L""};
    const MainWidget image{StatusImage, 215, 12, 32, 32, L""};
    const MainWidget bar{FileProgress, 5, 100, 740, 10, L"R"};
    return MainAnchored(plat::CreateButton(start.id, MainWindow, MainScaled(start), L"Start"), start) &&
           MainAnchored(
               plat::CreateButton(cancel.id, MainWindow, MainScaled(cancel), L"Abbrechen", plat::kButtonToggle),
               cancel) &&
           MainText({ProgressLabel, 5, 35, 60, 15, L""}, MainWindow, L"Fortschritt:") &&
           MainText({ProgressCount, 70, 35, 130, 15, L""}, MainWindow, L"0", plat::kTextRight) &&
           MainText({CopiedLabel, 325, 35, 70, 15, L""}, MainWindow, L"MB kopiert") &&
           MainText({CopiedMB, 265, 35, 55, 15, L""}, MainWindow, L"0", plat::kTextRight) &&
           MainAnchored(
               plat::CreateCheckBox(shutdown.id, MainWindow, MainScaled(shutdown), L"Herunterfahren wenn fertig"),
               shutdown) &&
           MainAnchored(plat::CreateImage(image.id, MainWindow, MainScaled(image), 0), image) &&
           MainText({StatusLine, 5, 55, 740, 25, L"R"}, MainWindow, L"Datei Info hier...") &&
           // With Arial's widths the label needs 145 pixels; the number gives
           // up the left part of its box, where right-aligned digits never go.
           MainText({FileSizeLabel, 5, 80, 146, 15, L""}, MainWindow, L"Aktuelle Dateigrösse (MB):") &&
           MainText({FileSizeMB, 151, 80, 49, 15, L""}, MainWindow, L"", plat::kTextRight) &&
           MainText({SpeedLabel, 325, 80, 70, 15, L""}, MainWindow, L"MB/s (ca.)") &&
           MainText({SpeedMBs, 265, 80, 55, 15, L""}, MainWindow, L"", plat::kTextRight) &&
           MainAnchored(plat::CreateProgressBar(bar.id, MainWindow, MainScaled(bar), 0, 100), bar);
}

bool MainSelectionPage() {
    TRESORO_MARK(logs::kUnitLayouts);
    const MainWidget jobs{JobListView, 5, 10, 720, 115, L"R"};
    const MainWidget area{ExclusionArea, 5, 130, 720, 240, L"RU"};
    const MainWidget path{PathField, 315, 5, 400, 20, L"L"};
    const MainWidget editor{ExclusionEditor, 5, 30, 300, 205, L""};
    const MainWidget files{FileList, 315, 30, 400, 205, L""};
    const MainWidget split{ExclusionSplitter, 5, 30, 710, 205, L"RU"};
    const MainWidget jobSplit{JobSplitter, 5, 10, 725, 370, L"RU"};
    if (!MainAnchored(
            plat::CreateListView(jobs.id, PageSelection, MainScaled(jobs),
                                 plat::kListCheckBoxes | plat::kListFullRowSelect | plat::kListAlwaysShowSelection),
            jobs))
        return false;
    // The first width is pixels, the others design units.
    plat::AddListColumn(JobListView, -1, L"Quelle", 360);
    plat::AddListColumn(JobListView, -1, L"Ziel", dialogs::Scaled(360));
    plat::AddListColumn(JobListView, -1, L"archivieren", dialogs::Scaled(70));
    plat::AddListColumn(JobListView, -1, L"Fakultativ", dialogs::Scaled(60));
    plat::AddListColumn(JobListView, -1, L"Intervall", dialogs::Scaled(60));
    return MainAnchored(plat::CreateContainer(area.id, PageSelection, MainScaled(area), plat::kContainerRaised),
                        area) &&
           MainText({ExclusionLabel, 5, 5, 230, 20, L"R"}, ExclusionArea, L"Ausschlüsse", plat::kTextCenter) &&
           MainText({PathLabel, 240, 5, 70, 20, L"L"}, ExclusionArea, L"akt. Pfad:", plat::kTextRight) &&
           MainAnchored(plat::CreateEdit(path.id, ExclusionArea, MainScaled(path), L""), path) &&
           MainAnchored(plat::CreateEditor(editor.id, ExclusionArea, MainScaled(editor)), editor) &&
           MainAnchored(plat::CreateDirList(files.id, ExclusionArea, MainScaled(files), L"",
                                            plat::kListGridLines | plat::kListFullRowSelect),
                        files) &&
           MainAnchored(plat::CreateSplitter(split.id, ExclusionArea, MainScaled(split), ExclusionEditor, FileList,
                                             plat::kSplitSideBySide | plat::kSplitSecondFixed),
                        split) &&
           MainAnchored(
               plat::CreateSplitter(jobSplit.id, PageSelection, MainScaled(jobSplit), JobListView, ExclusionArea),
               jobSplit);
}

bool MainLogPages() {
    TRESORO_MARK(logs::kUnitLayouts);
    const MainWidget clear{ClearLogsButton, 5, 5, 90, 20, L""};
    const MainWidget messages{MessageLogView, 5, 30, 730, 350, L"RU"};
    const MainWidget hints{HintLogView, 5, 5, 730, 375, L"RU"};
    const MainWidget errors{ErrorLogView, 5, 5, 730, 375, L"RU"};
    if (!MainAnchored(plat::CreateButton(clear.id, PageMessages, MainScaled(clear), L"Lösche Logs"), clear))
        return false;
    plat::SetGadgetToolTip(ClearLogsButton,
                           L"Protokolle löschen (je grösser, desto länger braucht das Laden beim Start)");
    return MainText({LogsLabel, 100, 10, 635, 15, L""}, PageMessages,
                    L"Protokolle: Für jeden Monat wird eine neue Datei angelegt, nach ca. einem Jahr wird sie "
                    L"überschrieben.") &&
           MainAnchored(plat::CreateEditor(messages.id, PageMessages, MainScaled(messages)), messages) &&
           MainAnchored(plat::CreateEditor(hints.id, PageHints, MainScaled(hints)), hints) &&
           MainAnchored(plat::CreateEditor(errors.id, PageErrors, MainScaled(errors)), errors);
}

}  // namespace

bool OpenMainWindow() {
    TRESORO_MARK(logs::kUnitLayouts);
    const int w = dialogs::Scaled(750), h = dialogs::Scaled(550);
    if (!plat::OpenWindow(MainWindow, L"Tresoro", plat::Box{dialogs::Scaled(109), dialogs::Scaled(119), w, h},
                          plat::kWinSystemMenu | plat::kWinMinimizeBox | plat::kWinMaximizeBox | plat::kWinSizable |
                              plat::kWinHidden | plat::kWinCenterScreen))
        return false;
    RegisterAnchor(MainWindow, plat::kKeep, 109, 119, 750, 550);
    plat::SetWindowMinSize(MainWindow, kMainMinWidth, kMainMinHeight);
    const MainWidget tabs{MainTabs, 5, 115, 740, 410, L"RU"};
    return MainRunStrip() && MainAnchored(plat::CreatePanel(tabs.id, MainWindow, MainScaled(tabs)), tabs) &&
           plat::AddPanelTab(MainTabs, PageSelection, L"Auswahl") && MainSelectionPage() &&
           plat::AddPanelTab(MainTabs, PageMessages, L"Meldungen") &&
           plat::AddPanelTab(MainTabs, PageHints, L"Hinweise") && plat::AddPanelTab(MainTabs, PageErrors, L"Fehler") &&
           MainLogPages();
}

void FinishMainWindow() {
    TRESORO_MARK(logs::kUnitLayouts);
    plat::SetWindowTitle(MainWindow, L"Tresoro 1.09");
    // Rich edit accepts the mode only while empty, so before the logs load.
    plat::SetEditorPlainText(MessageLogView);
    plat::SetEditorPlainText(ErrorLogView);
    // Pixels, not design units.
    plat::AddListColumn(FileList, 1, L"EXCL", 50);
    plat::SetListColumnWidth(FileList, 0, 200);
    plat::SetGadgetToolTip(FileList, L"Rechtsklick wählt an oder ab");
    plat::SetSplitterMinSizes(JobSplitter, 50, 150);
    plat::SetGadgetState(ExclusionSplitter,
                         static_cast<int>(std::nearbyint(plat::GetGadgetBox(ExclusionSplitter).w * 0.67)));
    plat::SetSplitterMinSizes(ExclusionSplitter, 300, 300);
}

// Sizes are remembered in design units, so that the window keeps its size
// against its texts at any DPI; a configuration of an older version holds
// pixels, which at 96 DPI are the same numbers. The position is the
// screen's, in pixels.
static int MainSized(int units) { return units == plat::kKeep ? plat::kKeep : dialogs::Scaled(units); }

void PlaceMainWindow() {
    TRESORO_MARK(logs::kUnitLayouts);
    const core::Settings& s = core::S().settings;
    plat::ResizeWindow(MainWindow, s.GMainWinX, s.GMainWinY, MainSized(s.GMainWinXD), MainSized(s.GMainWinYD));
    // A remembered size from a larger screen, or a higher DPI than this one
    // has room for, would leave the window out of reach.
    plat::KeepWindowOnScreen(MainWindow);
    ApplyAnchors(MainWindow);
    plat::SetGadgetState(JobSplitter, dialogs::Scaled(s.GMainPan1Splitt));
    LayoutExclusionArea();
}

void LayoutExclusionArea() {
    TRESORO_MARK(logs::kUnitLayouts);
    const plat::Box area = plat::GetGadgetBox(ExclusionArea);
    plat::ResizeGadget(ExclusionSplitter, plat::kKeep, plat::kKeep, area.w - dialogs::Scaled(17),
                       area.h - dialogs::Scaled(40));
    if (plat::GetWindowState(MainWindow) != plat::WindowState::Minimized)
        core::S().settings.GMainPan1Splitt = dialogs::Unscaled(plat::GetGadgetState(JobSplitter));
}

void FollowMainWindowDpi() {
    TRESORO_MARK(logs::kUnitLayouts);
    core::S().DialogScale = core::DialogScaleAt(core::S().settings.GDMScale, plat::GetWindowDpi(MainWindow));
    RelayoutAnchors(MainWindow);
    plat::SetGadgetState(JobSplitter, dialogs::Scaled(core::S().settings.GMainPan1Splitt));
    LayoutExclusionArea();
}

}  // namespace ui
