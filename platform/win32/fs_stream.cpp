// Appending to a file, and comparing two files piece by piece.
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/win32/wide_path.h"

namespace plat {

namespace {
// Closes on every path out of a function, keeping the error of the failure.
struct StreamHandle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~StreamHandle() {
        win32::KeepError keep;
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
constexpr DWORD kStreamChunk = 1u << 20;
}  // namespace

// FILE_APPEND_DATA alone: every write lands at the end of the file as it is
// then, whoever else appends, and nothing before it can be overwritten.
bool AppendToFile(const std::wstring& path, const std::string& bytes) {
    if (FaultHit(FaultOp::Write)) return false;
    StreamHandle out{CreateFileW(win32::Literal(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (out.handle == INVALID_HANDLE_VALUE) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t left = bytes.size() - done;
        const DWORD want = left < kStreamChunk ? static_cast<DWORD>(left) : kStreamChunk;
        DWORD wrote = 0;
        if (!WriteFile(out.handle, bytes.data() + done, want, &wrote, nullptr)) return false;
        if (wrote == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += wrote;
    }
    return true;
}

static HANDLE StreamOpenRead(const std::wstring& path) {
    return CreateFileW(win32::Literal(path).c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Reads up to `want` bytes, fewer only at the end of the file.
static bool StreamRead(HANDLE file, char* buffer, DWORD want, DWORD& got) {
    got = 0;
    while (got < want) {
        DWORD n = 0;
        if (!ReadFile(file, buffer + got, want - got, &n, nullptr)) return false;
        if (n == 0) break;
        got += n;
    }
    return true;
}

bool SameContent(const std::wstring& a, const std::wstring& b, bool& same) {
    same = false;
    if (FaultHit(FaultOp::Read)) return false;
    StreamHandle inA{StreamOpenRead(a)};
    if (inA.handle == INVALID_HANDLE_VALUE) return false;
    StreamHandle inB{StreamOpenRead(b)};
    if (inB.handle == INVALID_HANDLE_VALUE) return false;
    std::vector<char> bufA(kStreamChunk), bufB(kStreamChunk);
    for (;;) {
        DWORD gotA = 0, gotB = 0;
        if (!StreamRead(inA.handle, bufA.data(), kStreamChunk, gotA) ||
            !StreamRead(inB.handle, bufB.data(), kStreamChunk, gotB))
            return false;
        if (gotA != gotB || std::memcmp(bufA.data(), bufB.data(), gotA) != 0) return true;
        if (gotA < kStreamChunk) break;
    }
    same = true;
    return true;
}

}  // namespace plat
