// The state of a backup run, shared by the synchronisation, the archive and
// the run itself. RunErrorCount and LastCopyError live with the log
// (logs::LS()), which prints them.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

constexpr int8_t kItJobNormal = 0;
constexpr int8_t kItJobManual = 1;  // copy without archive
constexpr int8_t kItJobForced = 2;  // copy without archive, size or date decides

// A version waiting for its slot to be reused: where it was, where it waits.
struct SetAside {
    std::wstring slot;
    std::wstring aside;
};

struct RunState {
    int8_t ItJobMode = kItJobNormal;
    // Set by the window's event handler ("Abbrechen", close box); main thread only.
    int32_t CancelRequested = 0;
    int32_t EntriesExpected = 0;
    int32_t EntriesDone = 0;
    int32_t JobEntriesDone = 0;
    int32_t FilesCopied = 0;
    int64_t BytesCopied = 0;
    uint32_t CopyMillis = 0;
    uint32_t SpeedShownAt = 0;
    // Seconds; owned by the timed start. EndDelay > 0 after "/S<n>".
    int32_t StartCountdown = 0;
    int32_t EndDelay = 0;
    // Tick of the start countdown's last step; 0 at start, so the first
    // tick of the main loop already takes a step.
    uint32_t LastStepTick = 0;
    // A start countdown was shown and its status line must be cleared.
    bool CountdownShown = false;
    // Set by a completed end countdown (and by "Beenden" and the close box);
    // the main loop then saves the logs and the configuration and ends.
    int32_t QuitRequested = 0;
    // Older archive versions set aside in this directory, in that order.
    std::vector<SetAside> SetAsideList;
    // Set-aside folders made or found during the walk, innermost last; each
    // directory removes its own when it is done.
    std::vector<std::wstring> SetAsideDirs;
};

RunState& R();
// Shared with the icon animation and blink threads, hence atomic.
// RunAnimating: 1 while the animation shall run, 0 to stop it, -1 once stopped.
extern std::atomic<int32_t> RunAnimating;
extern std::atomic<int8_t> Blinking;

// Back to the start state; for tests.
void ResetRunState();

}  // namespace engine
