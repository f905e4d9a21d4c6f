// Reading a file in blocks, for the content comparison: ReadFile on a
// handle opened for a sequential scan, so that the cache manager reads
// ahead of us and does not keep what was read for long.
#include <windows.h>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/file_read.h"
#include "platform/win32/wide_path.h"

namespace plat {

// ReadFile takes 32-bit counts.
static const DWORD kReadChunk = 1u << 30;

static HANDLE ReadHandleOf(const ReadHandle& file) { return reinterpret_cast<HANDLE>(file.file); }

void ReadHandle::Close() {
    if (file == -1) return;
    CloseHandle(ReadHandleOf(*this));
    file = -1;
}

// INVALID_HANDLE_VALUE is -1, the handle's "none". Without
// FILE_FLAG_BACKUP_SEMANTICS a directory is refused with access denied.
bool OpenForReading(const std::wstring& path, ReadHandle& file) {
    file.Close();
    if (FaultHit(FaultOp::ReadBlock)) return false;
    HANDLE handle =
        CreateFileW(win32::Literal(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    file.file = reinterpret_cast<intptr_t>(handle);
    return true;
}

bool ReadBlock(ReadHandle& file, void* buffer, size_t size, size_t& got) {
    got = 0;
    if (FaultHit(FaultOp::ReadBlock)) return false;
    if (!file.IsOpen()) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    char* at = static_cast<char*>(buffer);
    while (got < size) {
        const size_t left = size - got;
        DWORD done = 0;
        if (!ReadFile(ReadHandleOf(file), at + got, left > kReadChunk ? kReadChunk : static_cast<DWORD>(left), &done,
                      nullptr)) {
            got = 0;
            return false;
        }
        if (done == 0) break;
        got += done;
    }
    return true;
}

void PrefetchForReading(const ReadHandle&, uint64_t, uint64_t) {}

}  // namespace plat
