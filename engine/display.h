// Everything the engine shows in the main window or asks of it. The window
// fills this at start; engine tests fill it with a recorder. A null entry
// does nothing (or answers false).
#pragma once

#include <cstdint>
#include <string>

namespace engine {

struct RunOptions;

enum class Icon { Idle, Busy, Error, Ok };
// Which log a balloon is about: a click on it shows that tab.
enum class BalloonTopic { Errors, Hints };

struct Display {
    void (*statusLine)(const std::wstring& text) = nullptr;
    void (*progressCount)(const std::wstring& text) = nullptr;
    void (*copiedMB)(const std::wstring& text) = nullptr;
    void (*fileSizeMB)(const std::wstring& text) = nullptr;
    void (*speedMBs)(const std::wstring& text) = nullptr;
    void (*fileProgress)(int percent) = nullptr;
    // May be called from the icon animation thread.
    void (*statusImage)(Icon icon) = nullptr;
    void (*trayIcon)(Icon icon) = nullptr;
    void (*showMessagesTab)() = nullptr;
    void (*runControlsLocked)(bool locked) = nullptr;
    // Starts the blinking of the "Abbrechen" button during a run (one blink
    // thread of the window; Blinking is already 1); clearing Blinking stops
    // it.
    void (*blinkCancelButton)() = nullptr;
    // Puts the "Abbrechen" toggle button back to its released state.
    void (*releaseCancelButton)() = nullptr;
    // Takes every pending window event without waiting and hands each to the
    // window's event handler, which may set CancelRequested.
    void (*drainEvents)() = nullptr;
    // Waits up to `milliseconds` for window events and dispatches them
    // without acting on them (used while the icon animation winds down).
    void (*waitEvents)(uint32_t milliseconds) = nullptr;
    // Whether "Herunterfahren wenn fertig" is ticked.
    bool (*shutdownChecked)() = nullptr;
    // Countdowns: starts one blink thread each for the status line and the
    // "Abbrechen" button (Blinking is already 1); clearing Blinking stops
    // them.
    void (*blinkStatusAndCancel)() = nullptr;
    // After Blinking = 0: waits until every blink thread has put its widget
    // back, and ends it.
    void (*blinkStopped)() = nullptr;
    // Waits up to `milliseconds` for one window event and hands it to the
    // window's event handler, which may set CancelRequested; a time-out
    // hands nothing. The end countdown's heartbeat.
    void (*waitWindowEvent)(uint32_t milliseconds) = nullptr;
    // Ends the process at once, without saving anything more: called after
    // the shutdown request, once the configuration has been written.
    // QuitRequested is set before, so a display without it still ends the
    // program through the main loop.
    void (*endProgramNow)() = nullptr;
    // Starts the run the timed start ("/S") has counted down to, as the
    // window starts every run (keeping Windows awake through it and its
    // end); null runs RunBackup itself.
    void (*startTimedRun)(const RunOptions& options) = nullptr;
    // A question with "Ja" and "Nein" (the message box); true for "Ja".
    // Never asked in an unattended run.
    bool (*askYesNo)(const std::wstring& text) = nullptr;
    // A balloon at the notification-area icon; the window stays where it is.
    void (*trayBalloon)(const std::wstring& title, const std::wstring& text, BalloonTopic topic) = nullptr;
    // The shutdown request failed: `text` in a box titled "ShutDown".
    void (*shutdownFailed)(const wchar_t* text) = nullptr;
};

void SetDisplay(const Display& display);
const Display& CurrentDisplay();

// Null-safe calls, so the engine never tests the pointers itself.
void ShowStatusLine(const std::wstring& text);
void ShowProgressCount(const std::wstring& text);
void ShowCopiedMB(const std::wstring& text);
void ShowFileSizeMB(const std::wstring& text);
void ShowSpeedMBs(const std::wstring& text);
void ShowFileProgress(int percent);
void ShowStatusImage(Icon icon);
void ShowTrayIcon(Icon icon);
void ShowMessagesTab();
void LockRunControls(bool locked);
void BlinkCancelButton();
void ReleaseCancelButton();
void DrainEvents();
void WaitEvents(uint32_t milliseconds);
bool ShutdownChecked();
void BlinkStatusAndCancel();
void WaitWindowEvent(uint32_t milliseconds);
void EndProgramNow();
void StartTimedRun(const RunOptions& options);
// Without a window to ask, the answer is "Nein".
bool AskYesNo(const std::wstring& text);
void ShowBalloon(const std::wstring& title, const std::wstring& text, BalloonTopic topic);
// Blinking = 0, then the window's blinkStopped.
void StopBlinking();
void ShowShutdownFailure(const wchar_t* text);

}  // namespace engine
