// File copy with progress and cancel over CopyFileExW.
#include <windows.h>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/win32/wide_path.h"

namespace plat {

namespace {
struct CopyCall {
    const CopyProgress* progress;
    bool cancelled = false;
};
}  // namespace

static DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER total, LARGE_INTEGER copied, LARGE_INTEGER,
                                          LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID data) {
    CopyCall* call = static_cast<CopyCall*>(data);
    if ((*call->progress)(static_cast<uint64_t>(total.QuadPart), static_cast<uint64_t>(copied.QuadPart)))
        return PROGRESS_CONTINUE;
    call->cancelled = true;
    // PROGRESS_CANCEL, not PROGRESS_STOP: only cancel makes CopyFileExW
    // delete the partial target.
    return PROGRESS_CANCEL;
}

// A complete copy may carry the source's read-only bit, which DeleteFileW
// refuses.
static void RemoveTempCopy(const std::wstring& tempCopy) {
    const std::wstring temp = win32::Literal(tempCopy);
    const DWORD attributes = GetFileAttributesW(temp.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temp.c_str());
}

bool CopyFileWithProgressCall(const std::wstring& from, const std::wstring& to,
                              const CopyProgress& progress, bool failIfExists) {
    if (FaultHit(FaultOp::Copy)) return false;
    CopyCall call{&progress};
    LPPROGRESS_ROUTINE routine = progress ? CopyProgressRoutine : nullptr;
    DWORD flags = failIfExists ? COPY_FILE_FAIL_IF_EXISTS : 0;
    const std::wstring target = win32::Literal(to);
    if (CopyFileExW(win32::Literal(from).c_str(), target.c_str(), routine, &call, nullptr, flags)) return true;
    if (!call.cancelled) return false;
    // Cancelled: the target was ours (an existing one under failIfExists
    // stops the copy before the first call-back). Some redirectors leave
    // the partial file behind, so make sure it is gone, and report the
    // cancel the same way on every version.
    DeleteFileW(target.c_str());
    ::SetLastError(ERROR_REQUEST_ABORTED);
    return false;
}

// CopyFileExW writes under the name it is given and deletes a partial copy
// only where it can, so the copy gets a temporary name beside its target and
// is renamed over it when complete.
bool CopyFileIntoPlace(const std::wstring& from, const std::wstring& to, const CopyProgress& progress,
                       bool archiveOnly) {
    const std::wstring temp = to + kTempSuffix;
    bool ok = CopyFileWithProgressCall(from, temp, progress, false);
    if (ok) {
        if (archiveOnly) SetAttributes(temp, FILE_ATTRIBUTE_ARCHIVE);
        ok = MoveReplacing(temp, to);
    }
    if (ok) return true;
    // A failed copy normally takes its partial file with it; make sure, and
    // remove a complete one that could not be renamed.
    const DWORD error = GetLastError();
    RemoveTempCopy(temp);
    ::SetLastError(error);
    return false;
}

}  // namespace plat
