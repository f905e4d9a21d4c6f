// Whole-file reading, and writing through a temporary file that is renamed
// into place, so that a reader never sees half a file.
#include <windows.h>

#include <algorithm>

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
    HANDLE file = CreateFileW(win32::Literal(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        win32::KeepError keep;
        CloseHandle(file);
        return false;
    }
    if (static_cast<uint64_t>(size.QuadPart) > kWriteMaxReadBytes) {
        CloseHandle(file);
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
        if (!ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
            win32::KeepError keep;
            CloseHandle(file);
            bytes.clear();
            return false;
        }
        if (got == 0) break;
        if (bytes.size() + got > kWriteMaxReadBytes) {
            CloseHandle(file);
            bytes.clear();
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        bytes.append(chunk.data(), got);
    }
    CloseHandle(file);
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

// Removes the temporary file of a failed write, keeping the failure's code.
static bool WriteFail(HANDLE file, const std::wstring& temp) {
    win32::KeepError keep;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    DeleteFileW(temp.c_str());
    return false;
}

bool WriteFileReplacing(const std::wstring& path, const std::string& bytes) {
    const std::wstring temp = win32::Literal(path + kTempSuffix);
    // CREATE_ALWAYS also clears the leftover of an earlier crash.
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    if (FaultHit(FaultOp::Write)) return WriteFail(file, temp);
    if (!WriteAll(file, bytes)) return WriteFail(file, temp);
    // The data must be on the disk before the rename makes it the real file;
    // otherwise a power cut can leave the new name over empty blocks.
    if (!FlushFileBuffers(file)) return WriteFail(file, temp);
    HANDLE closing = file;
    file = INVALID_HANDLE_VALUE;
    if (!CloseHandle(closing)) return WriteFail(file, temp);
    if (FaultHit(FaultOp::Rename)) return WriteFail(file, temp);
    // A read-only or locked target makes the rename fail; the old file then
    // stays as it was.
    if (!MoveFileExW(temp.c_str(), win32::Literal(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return WriteFail(file, temp);
    return true;
}

}  // namespace plat
