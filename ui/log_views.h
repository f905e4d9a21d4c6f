// The three log views show the log channels: new entries appear at the top,
// what the user types into a view becomes the channel's text. The channels
// stay the one store of the log; the views follow them in batches, so a run
// that logs a hundred thousand lines does not wait for the window each time.
#pragma once

namespace ui {

// The view of a channel (MessageLogView, ErrorLogView, HintLogView) and back;
// -1 or 0 when there is none.
int LogViewOf(int channel);
int ChannelOfLogView(int view);

// Connects the channels to the views (the channels' change hook).
void BindLogViews();

// Brings the views up to their channels: only the newest lines when nothing
// else changed, the whole text otherwise. Without `force` at most every
// 250 ms.
void FlushLogViews(bool force);

// The user changed the text of a log view: the channel takes it over, with
// the entries logged since the view was last brought up to date kept on top.
// Does nothing for other widgets.
void TakeLogViewEdit(int widget);

// Forgets what the views were shown; for tests.
void ResetLogViews();

}  // namespace ui
