// Whole-file reads, writing through a temporary file that is renamed into
// place (so a reader never sees half a file), and the copy with progress and
// cancel over CopyFileExW.
#include <windows.h>

#include <algorithm>

#include "platform/common/lock_retry.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/win32/wide_path.h"

namespace plat {

// The program reads configuration and log files whole; a file beyond this
// is not one of ours, and reading it would only exhaust memory.
static const uint64_t kWriteMaxReadBytes = 1ull << 30;
// WriteFile and ReadFile take 32-bit counts.
static const DWORD kWriteChunk = 1u << 24;

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    if (FaultHit(FaultOp::Read)) return false;
    // Share everything: a log file may be open in an editor, and a reader
    // must not block the program's own later rename over it.
    win32::OwnedHandle file(CreateFileW(win32::Literal(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.handle, &size)) return false;
    if (static_cast<uint64_t>(size.QuadPart) > kWriteMaxReadBytes) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    bytes.reserve(static_cast<size_t>(size.QuadPart));
    // Read to the end rather than to the size seen at the start, so a file
    // that grows meanwhile is read as far as it goes. A piece a byte larger
    // than the file lets the usual case end after one read and the EOF read.
    uint64_t chunkSize = std::clamp<uint64_t>(static_cast<uint64_t>(size.QuadPart) + 1, 65536, kWriteChunk);
    std::string chunk(static_cast<size_t>(chunkSize), '\0');
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.handle, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
            bytes.clear();
            return false;
        }
        if (got == 0) break;
        if (bytes.size() + got > kWriteMaxReadBytes) {
            bytes.clear();
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        bytes.append(chunk.data(), got);
    }
    return true;
}

static bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        size_t left = bytes.size() - done;
        DWORD want = left < kWriteChunk ? static_cast<DWORD>(left) : kWriteChunk;
        DWORD wrote = 0;
        if (!WriteFile(file, bytes.data() + done, want, &wrote, nullptr)) return false;
        if (wrote == 0) {
            // Success without progress: the volume is full.
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += wrote;
    }
    return true;
}

// Removes the temporary file of a failed write, keeping the failure's code
// (the handle is closed first, or the delete would fail).
static bool WriteFail(win32::OwnedHandle& file, const std::wstring& temp) {
    win32::KeepError keep;
    if (file.Valid()) file.Close();
    DeleteFileW(temp.c_str());
    return false;
}

bool WriteFileReplacing(const std::wstring& path, const std::string& bytes) {
    const std::wstring temp = win32::Literal(path + kTempSuffix);
    // CREATE_ALWAYS also clears the leftover of an earlier crash.
    win32::OwnedHandle file(
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    if (FaultHit(FaultOp::Write)) return WriteFail(file, temp);
    if (!WriteAll(file.handle, bytes)) return WriteFail(file, temp);
    // The data must be on the disk before the rename makes it the real file;
    // otherwise a power cut can leave the new name over empty blocks.
    if (!FlushFileBuffers(file.handle)) return WriteFail(file, temp);
    if (!file.Close()) return WriteFail(file, temp);
    // A read-only target, or one that stays locked, makes the rename fail;
    // the old file then stays as it was.
    if (!MoveReplacing(path + kTempSuffix, path)) return WriteFail(file, temp);
    return true;
}

namespace {
struct CopyCall {
    const CopyProgress* progress;
    bool cancelled = false;
    uint64_t copied = 0;  // as far as the progress routine saw
};
}  // namespace

static DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER total, LARGE_INTEGER copied, LARGE_INTEGER, LARGE_INTEGER,
                                          DWORD, DWORD, HANDLE, HANDLE, LPVOID data) {
    CopyCall* call = static_cast<CopyCall*>(data);
    call->copied = static_cast<uint64_t>(copied.QuadPart);
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

static bool CopyWithFlags(const std::wstring& from, const std::wstring& to, const CopyProgress& progress, DWORD flags) {
    CopyCall call{&progress};
    LPPROGRESS_ROUTINE routine = progress ? CopyProgressRoutine : nullptr;
    const std::wstring source = win32::Literal(from), target = win32::Literal(to);
    // Only a copy that failed before its first byte is tried again: another
    // program held the source or the target as it was opened. A read-only
    // or directory target and a directory source are refused for good.
    const bool ok = RetryWhileLocked(
        FaultOp::Copy, [&] { return CopyFileExW(source.c_str(), target.c_str(), routine, &call, nullptr, flags) != 0; },
        [&](uint32_t code) {
            return call.copied > 0 || RefusedForGood(code, to, kAttrReadOnly | kAttrDirectory) ||
                   RefusedForGood(code, from, kAttrDirectory);
        });
    if (ok) return true;
    if (!call.cancelled) return false;
    // Cancelled: the target was ours (an existing one under failIfExists
    // stops the copy before the first call-back). Some redirectors leave
    // the partial file behind, so make sure it is gone, and report the
    // cancel the same way on every version.
    DeleteFileW(target.c_str());
    ::SetLastError(ERROR_REQUEST_ABORTED);
    return false;
}

bool CopyFileWithProgressCall(const std::wstring& from, const std::wstring& to, const CopyProgress& progress,
                              bool failIfExists) {
    return CopyWithFlags(from, to, progress, failIfExists ? COPY_FILE_FAIL_IF_EXISTS : 0);
}

// The mirror's copy loses every attribute but the archive bit. Most copies
// come with that bit alone already, and asking (no handle to open) costs
// far less than setting; the reset still counts as one SetAttributes call
// for fault injection, needed or not, so that its failure stays testable.
static void ResetToArchiveOnly(const std::wstring& tempCopy) {
    if (GetFileAttributesW(win32::Literal(tempCopy).c_str()) == FILE_ATTRIBUTE_ARCHIVE) {
        FaultHit(FaultOp::SetAttributes);
        return;
    }
    // A copy whose reset fails is still a complete copy: it takes its place.
    (void)SetAttributes(tempCopy, FILE_ATTRIBUTE_ARCHIVE);
}

// FlushFileBuffers needs a handle with write access; sharing everything,
// the open does not fail because a scanner already reads the copy.
static bool FlushOpened(const std::wstring& literal) {
    win32::OwnedHandle file(CreateFileW(literal.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid() && FlushFileBuffers(file.handle) != 0;
}

// CopyFileExW leaves the copy's data in the cache, and renaming it on the
// same volume writes none of them, MOVEFILE_WRITE_THROUGH or not: without
// the flush a power cut, or a USB disk pulled while Windows still caches,
// can leave the name, size and date over blocks never written, a file the
// size-and-date rule never copies again. A copy that keeps its source's
// read-only bit refuses the write access: the bit is lifted for the flush.
static bool FlushTempCopy(const std::wstring& temp) {
    if (FlushSkipped() || FlushOpened(temp)) return true;
    if (::GetLastError() != ERROR_ACCESS_DENIED) return false;
    const DWORD attributes = GetFileAttributesW(temp.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const DWORD writable = attributes & ~FILE_ATTRIBUTE_READONLY;
    if (!SetFileAttributesW(temp.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL)) return false;
    const bool flushed = FlushOpened(temp);
    win32::KeepError keep;
    SetFileAttributesW(temp.c_str(), attributes);
    return flushed;
}

static bool FlushCopy(const std::wstring& tempCopy) {
    const std::wstring temp = win32::Literal(tempCopy);
    return RetryWhileLocked(FaultOp::Flush, [&] { return FlushTempCopy(temp); });
}

// CopyFileExW writes under the name it is given and deletes a partial copy
// only where it can, so the copy gets a temporary name beside its target and
// is renamed over it when complete. The temporary name is normally free (the
// engine sweeps leftovers as it lists), and creating it outright spares the
// look for an existing file to replace; the leftover of an interrupted run
// goes first. CopyFileExW refuses an encrypted file that the destination
// cannot store encrypted (ERROR_ENCRYPTION_FAILED); only then is it copied
// again with COPY_FILE_ALLOW_DECRYPTED_DESTINATION, so that a copy stored
// decrypted is known to be one.
bool CopyFileIntoPlace(const std::wstring& from, const std::wstring& to, const CopyProgress& progress, bool archiveOnly,
                       bool* storedDecrypted) {
    const std::wstring temp = to + kTempSuffix;
    DWORD flags = COPY_FILE_FAIL_IF_EXISTS;
    bool ok = CopyWithFlags(from, temp, progress, flags);
    if (!ok && (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS)) {
        RemoveTempCopy(temp);
        flags = 0;
        ok = CopyWithFlags(from, temp, progress, flags);
    }
    const bool decrypted = !ok && GetLastError() == ERROR_ENCRYPTION_FAILED;
    if (decrypted) {
        RemoveTempCopy(temp);
        ok = CopyWithFlags(from, temp, progress, flags | COPY_FILE_ALLOW_DECRYPTED_DESTINATION);
    }
    if (ok) {
        if (archiveOnly) ResetToArchiveOnly(temp);
        ok = FlushCopy(temp) && MoveReplacing(temp, to);
    }
    if (storedDecrypted) *storedDecrypted = ok && decrypted;
    if (ok) return true;
    // A failed copy normally takes its partial file with it; make sure, and
    // remove a complete one that could not be renamed.
    const DWORD error = GetLastError();
    RemoveTempCopy(temp);
    ::SetLastError(error);
    return false;
}

// Windows has no file without a name that could take one later: a copy
// made ahead waits under its temporary name, complete and flushed, and is
// renamed into place at its turn as CopyFileIntoPlace renames. On the
// writer's thread nothing counts for the fault layer and nothing waits for
// a locked file: what fails here is copied at its turn. A temporary name
// already taken is not the writer's; it stays for the turn's copy.
bool PrepareCopy(const std::wstring& from, const std::wstring& to, bool archiveOnly, uint64_t maxBytes,
                 PreparedCopy& copy) {
    DropPreparedCopy(copy);
    const std::wstring source = win32::Literal(from);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &data)) return false;
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (size > maxBytes) {
        ::SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    const std::wstring tempCopy = to + kTempSuffix, temp = win32::Literal(tempCopy);
    if (!CopyFileExW(source.c_str(), temp.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) RemoveTempCopy(tempCopy);
        ::SetLastError(error);
        return false;
    }
    // As ResetToArchiveOnly, uncounted; a failed reset keeps the source's.
    if (archiveOnly && GetFileAttributesW(temp.c_str()) != FILE_ATTRIBUTE_ARCHIVE)
        SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    if (!FlushTempCopy(temp)) {
        const DWORD error = ::GetLastError();
        RemoveTempCopy(tempCopy);
        ::SetLastError(error);
        return false;
    }
    copy.temp = tempCopy;
    copy.total = size;
    copy.copied = size;
    copy.archiveOnly = archiveOnly;
    copy.from = from;
    return true;
}

// Under Wine every open, close and rename of a writer is a request to the
// one wine server, which more than two writers only crowd (Windows itself
// could not be measured here).
int PreparedCopyWriters() { return 2; }

bool PlacePreparedCopy(PreparedCopy& copy, const std::wstring& to) {
    const std::wstring temp = std::move(copy.temp);
    copy.temp.clear();
    if (temp.empty()) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (MoveReplacing(temp, to)) return true;
    const DWORD error = ::GetLastError();
    RemoveTempCopy(temp);
    ::SetLastError(error);
    return false;
}

void DropPreparedCopy(PreparedCopy& copy) {
    if (!copy.temp.empty()) {
        win32::KeepError keep;
        RemoveTempCopy(copy.temp);
    }
    copy.temp.clear();
    copy.file = -1;
}

void FlushPlacedNames() {}

}  // namespace plat
