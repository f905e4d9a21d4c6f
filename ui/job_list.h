// The tab "Auswahl": the job list with a check box per job, the current
// job's exclusions as text, and a directory view of its source marking what
// the exclusions cover. Every edit goes into Jobs and Excludes at once.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gui.h"

namespace ui {

// Rebuilds JobListView from Jobs (rows in list order, Sid as row data, tick
// = Selected), keeps or finds the current job, and refills the views below.
void RefreshJobList();

// The handlers the event loop calls for every event of these widgets.
void OnJobListEvent(plat::EventType type);
void OnFileListEvent(plat::EventType type);
void OnPathFieldEvent();
void OnExclusionEditorEvent();

// 2 when an exclusion of the job covers `path`, 1 when an exclusion lies
// below it, 0 otherwise; the first exclusion in list order that passes
// either test decides.
int ExclusionState(const std::wstring& path, int32_t sid);
// Recomputes the column "EXCL" ("XXXX", "oooo") and, with `fillEditor`, the
// editor's lines.
void RefreshExclusionMarks(bool fillEditor);

// Disables (or enables again) the widgets that change jobs and every menu
// item while work runs; "Abbrechen" and the shutdown box stay usable.
void RunControlsLocked(bool locked);

}  // namespace ui
