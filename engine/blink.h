// The blinking of countdowns and runs: a widget's text turns bold and
// alternates between red and its own colour every 700 ms while Blinking is
// 1. The threads touch only the colour and font of their widget, which the
// gui seam allows from any thread; the main thread starts and stops them.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace engine {

// Thread procedure, one thread per widget: 100 ms pause, then Arial 9 bold
// with the widget's own colour for 700 ms, red (255, 0, 0) for 700 ms, and
// so on; once Blinking is 0 (seen within 70 ms) the widget's own colour
// and Arial 9 normal come back. Cleared within the first pause, the widget
// is not touched at all.
void BlinkWidget(int widget);

// Starts one detached BlinkWidget thread per widget. The caller has set
// Blinking = 1 first, so that a stop right after still reaches them.
void StartBlinkThreads(std::initializer_list<int> widgets);

// Blinking = 0, then waits (at most a second) until every thread started by
// StartBlinkThreads has put its widget back. Without the wait, blinking
// started again at once (the run right after the start countdown) would let
// the old threads run on and a new one take a red text for the widget's own
// colour, leaving it red for good.
void StopBlinking();

// Threads started by StartBlinkThreads that have not yet ended.
int32_t BlinkThreadsRunning();

}  // namespace engine
