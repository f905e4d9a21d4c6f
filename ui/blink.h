// The blinking of countdowns and runs: a widget's text turns bold and
// alternates between red and its own colour every 700 ms while
// engine::Blinking is 1. The threads touch only the colour and font of their
// widget, which the gui seam allows from any thread; the window's thread
// starts them and joins them.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace ui {

// Thread procedure, one thread per widget: 100 ms pause, then Arial 9 bold
// with the widget's own colour for 700 ms, red (255, 0, 0) for 700 ms, and
// so on; once Blinking is 0 (seen within 70 ms) the widget's own colour
// and Arial 9 normal come back. Cleared within the first pause, the widget
// is not touched at all.
void BlinkWidget(int widget);

// Starts one BlinkWidget thread per widget. The caller has set Blinking = 1
// first, so that a stop right after still reaches them.
void StartBlinkThreads(std::initializer_list<int> widgets);

// After Blinking = 0: joins every thread StartBlinkThreads started, each of
// which has put its widget back then. Without the wait, blinking started
// again at once (the run right after the start countdown) would let the old
// threads run on and a new one take a red text for the widget's own colour,
// leaving it red for good. A thread never waits for the window's thread
// (the gui seam posts its changes), so the join takes at most one sleep step.
void JoinBlinkThreads();

// Threads started by StartBlinkThreads that have not yet been joined.
int32_t BlinkThreadsRunning();

}  // namespace ui
