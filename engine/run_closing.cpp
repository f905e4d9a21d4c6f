// The end of a run in the log and in the window: statistics, the result
// icon and text, the time it took.
#include <string>

#include "core/report.h"
#include "core/text_helpers.h"
#include "engine/countdown.h"
#include "engine/display.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "engine/verify.h"
#include "log/channels.h"
#include "platform/clock.h"

namespace engine {

static void ClosingTwoDigits(std::wstring& out, uint32_t value) {
    out += static_cast<wchar_t>(L'0' + value / 10 % 10);
    out += static_cast<wchar_t>(L'0' + value % 10);
}

std::wstring FormatElapsed(uint32_t milliseconds) {
    const uint32_t seconds = milliseconds / 1000 % 86400;
    std::wstring out;
    ClosingTwoDigits(out, seconds / 3600);
    out += L':';
    ClosingTwoDigits(out, seconds / 60 % 60);
    out += L':';
    ClosingTwoDigits(out, seconds % 60);
    return out;
}

void WriteClosingLines(const RunTally& tally, bool hintsPending, bool verified) {
    logs::AddLog(L"Kopiert: " + core::FormatThousands(tally.FilesCopied) + L" (" +
                     core::FormatThousands(tally.BytesCopied / 1048576) + L" MB)",
                 core::kLogNormal);
    if (verified) logs::AddLog(VerifiedLine(tally), core::kLogNormal);
    logs::AddLog(L"Anzahl Dateien: " + core::FormatThousands(tally.EntriesDone), core::kLogNormal);
    logs::AddLog(logs::kSeparatorLine, core::kLogNormal);
    if (hintsPending) logs::AddLog(L"Hinweise beachten...!", core::kLogNormal);
    if (tally.RunErrorCount != 0) {
        std::wstring line = L"ES SIND FEHLER AUFGETRETEN: " + std::to_wstring(tally.RunErrorCount);
        // The end sequence gives the user five more minutes to read the
        // errors before it ends the program or Windows.
        if (EndSequencePending()) line += L" (aut. Programm-Beendigung wird deshalb verzögert)";
        logs::AddLog(line, core::kLogNormal);
    }
}

void ShowRunResult(const RunTally& tally, bool somethingRan) {
    Icon icon = Icon::Idle;
    const wchar_t* text = L"Nichts zu kopieren...";
    if (tally.RunErrorCount != 0) {
        icon = Icon::Error;
        text = L"Backup mit Fehler abgeschlossen...";
    } else if (somethingRan) {
        icon = Icon::Ok;
        text = L"Backup ohne Fehler abgeschlossen...";
    }
    ShowTrayIcon(icon);
    ShowStatusImage(icon);
    ShowStatusLine(text);
    // The status image keeps what the jobs achieved; the tray only says the
    // run is over.
    if (CancelPending()) {
        ShowTrayIcon(Icon::Idle);
        ShowStatusLine(L"Backup wurde abgebrochen...");
    }
}

void WriteFinalLines(uint32_t startTick) {
    logs::AddLog(L"Zeitaufwand: " + FormatElapsed(plat::Tick() - startTick), core::kLogNormal);
    logs::AddLog(core::FormatLogDate(plat::Now()) + L"   Ende", core::kLogNormal);
    logs::AddLog(logs::kSeparatorLine, core::kLogNormal);
    logs::AddLog(L"", core::kLogRunEnd);
}

}  // namespace engine
