#include "engine/display.h"

#include "engine/verify.h"

#include "engine/run.h"
#include "engine/run_state.h"

namespace engine {

static Display g_display;

void SetDisplay(const Display& display) { g_display = display; }
const Display& CurrentDisplay() { return g_display; }

void ShowStatusLine(const std::wstring& text) {
    if (g_display.statusLine) g_display.statusLine(text);
}
void ShowProgressCount(const std::wstring& text) {
    if (g_display.progressCount) g_display.progressCount(text);
}
void ShowCopiedMB(const std::wstring& text) {
    if (g_display.copiedMB) g_display.copiedMB(text);
}
void ShowFileSizeMB(const std::wstring& text) {
    if (g_display.fileSizeMB) g_display.fileSizeMB(text);
}
void ShowSpeedMBs(const std::wstring& text) {
    if (g_display.speedMBs) g_display.speedMBs(text);
}
void ShowFileProgress(int percent) {
    if (g_display.fileProgress) g_display.fileProgress(percent);
}
void ShowStatusImage(Icon icon) {
    if (g_display.statusImage) g_display.statusImage(icon);
}
void ShowTrayIcon(Icon icon) {
    if (g_display.trayIcon) g_display.trayIcon(icon);
}
void ShowMessagesTab() {
    if (g_display.showMessagesTab) g_display.showMessagesTab();
}
void LockRunControls(bool locked) {
    if (g_display.runControlsLocked) g_display.runControlsLocked(locked);
}
void BlinkCancelButton() {
    if (g_display.blinkCancelButton) g_display.blinkCancelButton();
}
void ReleaseCancelButton() {
    if (g_display.releaseCancelButton) g_display.releaseCancelButton();
}
void DrainEvents() {
    if (g_display.drainEvents) g_display.drainEvents();
}
void WaitEvents(uint32_t milliseconds) {
    if (g_display.waitEvents) g_display.waitEvents(milliseconds);
}
bool ShutdownChecked() { return g_display.shutdownChecked && g_display.shutdownChecked(); }
void BlinkStatusAndCancel() {
    if (g_display.blinkStatusAndCancel) g_display.blinkStatusAndCancel();
}
void WaitWindowEvent(uint32_t milliseconds) {
    if (g_display.waitWindowEvent) g_display.waitWindowEvent(milliseconds);
}
void EndProgramNow() {
    if (g_display.endProgramNow) g_display.endProgramNow();
}
bool AskYesNo(const std::wstring& text) { return g_display.askYesNo && g_display.askYesNo(text); }
void ShowBalloon(const std::wstring& title, const std::wstring& text, BalloonTopic topic) {
    if (g_display.trayBalloon) g_display.trayBalloon(title, text, topic);
}

void StopBlinking() {
    Blinking = 0;
    if (g_display.blinkStopped) g_display.blinkStopped();
}
void ShowShutdownFailure(const wchar_t* text) {
    if (g_display.shutdownFailed) g_display.shutdownFailed(text);
}

void StartTimedRun(const RunOptions& options) {
    if (g_display.startTimedRun)
        g_display.startTimedRun(options);
    else
        EndStartedRun(RunBackup(options));
}

}  // namespace engine
