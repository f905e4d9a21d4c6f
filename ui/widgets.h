// The ids of the main window, its widgets and its tray icon. Windows and
// widgets share one number space (platform/gui.h); the dialogs take their
// ids from the ranges reserved at the end.
#pragma once

namespace ui {

enum : int {
    MainWindow = 1,

    // Run control strip, in creation order.
    StartButton = 10,
    CancelButton,
    ProgressLabel,
    ProgressCount,
    CopiedLabel,
    CopiedMB,
    ShutdownCheck,
    StatusImage,
    StatusLine,
    FileSizeLabel,
    FileSizeMB,
    SpeedLabel,
    SpeedMBs,
    FileProgress,
    MainTabs,

    // The pages of MainTabs.
    PageSelection = 40,
    PageMessages,
    PageHints,
    PageErrors,

    // Tab "Auswahl".
    JobListView = 50,
    ExclusionArea,
    ExclusionLabel,
    PathLabel,
    PathField,
    ExclusionEditor,
    FileList,
    ExclusionSplitter,
    JobSplitter,

    // Tabs "Meldungen", "Hinweise", "Fehler".
    ClearLogsButton = 70,
    LogsLabel,
    MessageLogView,
    HintLogView,
    ErrorLogView,
};

// Tab indices of MainTabs.
constexpr int kTabSelection = 0;
constexpr int kTabMessages = 1;
constexpr int kTabHints = 2;
constexpr int kTabErrors = 3;

// Tray icons have their own id space.
constexpr int TrayIcon = 1;

// Id ranges of the dialogs' windows and widgets (window id = first id).
constexpr int kJobEditorIds = 1000;
constexpr int kPathChooserIds = 1100;
constexpr int kExcludeSearchIds = 1200;
constexpr int kStandardSetupIds = 1300;
constexpr int kInfoWindowIds = 1400;
constexpr int kInputBoxIds = 1500;
constexpr int kRestoreIds = 1600;

}  // namespace ui
