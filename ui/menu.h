// The menu bar of the main window and what each item does.
#pragma once

namespace ui {

// Menu and item ids of the main window (a number space of their own).
enum : int {
    MenuFile = 1,
    MenuEdit,
    MenuBackup,
    MenuHelp,

    ItemConfigFile = 10,
    ItemLogDirectory,
    ItemQuit,
    ItemStandardJobs,
    ItemStandardAuto,
    ItemAddJob,
    ItemDeleteJob,
    ItemJobUp,
    ItemJobDown,
    ItemSearchExcludes,
    ItemStartIgnoreInterval,
    ItemVerify,
    ItemRestore,
    ItemItJobManual,
    ItemItJobForced,
    ItemHelp,
    ItemAbout,
    ItemLast = ItemAbout,
};

// Builds the four menus, the tick of "Std.Jobs autom. dazu" and the four
// shortcuts; false (after "GFehler - kann Menü nicht erstellen!") when the
// menu bar cannot be made.
bool BuildMainMenu();

// Enables or disables all 17 items together.
void SetMenuItemsEnabled(bool enabled);

// The action of a menu item or its shortcut.
void OnMenuCommand(int item);

// The job-list commands, on the current job.
void AddJob();
void DeleteJob();
void MoveJobUp();
void MoveJobDown();

}  // namespace ui
