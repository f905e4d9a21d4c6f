// File copy with progress and cancel over CopyFileExW.
#include <windows.h>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"

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

bool CopyFileWithProgressCall(const std::wstring& from, const std::wstring& to,
                              const CopyProgress& progress, bool failIfExists) {
    if (FaultHit(FaultOp::Copy)) return false;
    CopyCall call{&progress};
    LPPROGRESS_ROUTINE routine = progress ? CopyProgressRoutine : nullptr;
    DWORD flags = failIfExists ? COPY_FILE_FAIL_IF_EXISTS : 0;
    if (CopyFileExW(from.c_str(), to.c_str(), routine, &call, nullptr, flags)) return true;
    if (!call.cancelled) return false;
    // Cancelled: the target was ours (an existing one under failIfExists
    // stops the copy before the first call-back). Some redirectors leave
    // the partial file behind, so make sure it is gone, and report the
    // cancel the same way on every version.
    DeleteFileW(to.c_str());
    ::SetLastError(ERROR_REQUEST_ABORTED);
    return false;
}

}  // namespace plat
