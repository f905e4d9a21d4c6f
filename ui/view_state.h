// State of the main window's views, kept for the whole process.
#pragma once

#include <cstdint>
#include <string>

#include "core/records.h"
#include "ui/widgets.h"

namespace ui {

struct ViewState {
    // The job whose exclusions are shown and which the editor and the
    // job commands work on; 0 when there is none.
    int32_t CurrentSid = 0;
    // The current job's source when it became current; FileList never
    // leaves the tree below it.
    std::wstring CurrentPath;
    // The last text of PathField acted on.
    std::wstring LastPathText;
    // The tab a click on the tray's balloon shows: the log it was about.
    int BalloonTab = kTabErrors;
};

ViewState& V();
// The element of Jobs whose Sid is CurrentSid; nullptr when no job has
// that Sid. Only a lookup: CurrentSid alone says which job is current.
core::Job* CurrentJob();
// Back to the start state; for tests.
void ResetViewState();
// The whole window layer's state (views, anchors, log views, start-up).
void ResetUiForTest();

}  // namespace ui
