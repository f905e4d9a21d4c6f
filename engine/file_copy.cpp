// One file copy with progress bar, event drain and cancel; the platform
// writes it so that nothing half-written ever carries the target's name.
#include "engine/display.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace engine {

static constexpr uint64_t kCopyBarMinBytes = 300000;

std::wstring TempCopyName(const std::wstring& target) { return target + plat::kTempSuffix; }

// Asked for every destination entry of every run, so it first rules out the
// common case cheaply: a name ending in an ASCII character that is not the
// suffix's last letter in either case cannot match, whatever the case rules
// of the system (they only ever pair an ASCII letter with its own capital).
bool IsTempCopyName(const std::wstring& name) {
    static const std::wstring suffix = plat::kTempSuffix;
    if (name.size() <= suffix.size()) return false;
    const wchar_t last = name.back(), wanted = suffix.back();
    const auto asciiLower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
    if (last < 0x80 && asciiLower(last) != asciiLower(wanted)) return false;
    return plat::EqualNoCase(name.substr(name.size() - suffix.size()), suffix);
}

// Called by the copy as it proceeds. Small files leave the bar alone: it
// would only flicker. The event drain is what lets "Abbrechen" stop a long
// copy at once.
static bool CopyProgressCall(uint64_t total, uint64_t copied) {
    if (total > kCopyBarMinBytes) ShowFileProgress(static_cast<int>(copied * 100 / total));
    DrainEvents();
    return !CancelPending();
}

// The mirror copy must stay overwritable by the next run: in normal mode it
// loses read-only, hidden and system before it takes its place. The IT-job
// copies keep what the source had.
CopyOutcome CopyFileWithProgress(const std::wstring& source, const std::wstring& target, bool archiveOnly) {
    CopyOutcome outcome;
    outcome.ok = plat::CopyFileIntoPlace(source, target, CopyProgressCall, archiveOnly, &outcome.decrypted);
    if (!outcome.ok) outcome.error = plat::LastError();
    ShowFileProgress(0);
    return outcome;
}

// The copy is complete already; the calls a small copy makes here (before
// and after its one chunk) still drain events and still let "Abbrechen"
// stop it before it gets its name.
CopyOutcome PlaceCopyWithProgress(plat::PreparedCopy& copy, const std::wstring& target) {
    CopyOutcome outcome{false, plat::kErrRequestAborted};
    if (CopyProgressCall(copy.total, 0) && (copy.copied == 0 || CopyProgressCall(copy.total, copy.copied))) {
        outcome.ok = plat::PlacePreparedCopy(copy, target);
        outcome.error = outcome.ok ? 0 : plat::LastError();
    } else {
        plat::DropPreparedCopy(copy);
    }
    ShowFileProgress(0);
    return outcome;
}

}  // namespace engine
