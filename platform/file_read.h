// Reading a file front to back in blocks of the caller's size: the content
// comparison of "Prüfen" reads both copies of a file whole, once, in order.
// The system is told so (its own read-ahead then works for us), and nothing
// is held beyond the caller's buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// A file open for reading; move-only, closed when it goes out of scope.
struct ReadHandle {
    intptr_t file = -1;  // the system's handle; -1 when none

    ReadHandle() = default;
    ReadHandle(ReadHandle&& other) noexcept : file(other.file) { other.file = -1; }
    ReadHandle& operator=(ReadHandle&& other) noexcept {
        if (this != &other) {
            Close();
            file = other.file;
            other.file = -1;
        }
        return *this;
    }
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;
    ~ReadHandle() { Close(); }

    bool IsOpen() const { return file != -1; }
    // Closes it now (nothing to do when none is open).
    void Close();
};

// Opens an existing file to be read in order, sharing it with every other
// reader and writer (a file the user has open stays readable, and nothing
// waits on us to rename or delete it). A directory is refused
// (kErrAccessDenied, at the open or at the first read). Counts as ReadBlock.
[[nodiscard]] bool OpenForReading(const std::wstring& path, ReadHandle& file);

// Reads the next bytes into `buffer`: `got` is `size` unless the file ended
// first (0 at its end). Counts as ReadBlock.
[[nodiscard]] bool ReadBlock(ReadHandle& file, void* buffer, size_t size, size_t& got);

// Asks the system to start reading `length` bytes from `offset` now, so
// that they are there when ReadBlock wants them (posix_fadvise on the
// portable layer; Windows' sequential scan reads ahead by itself).
void PrefetchForReading(const ReadHandle& file, uint64_t offset, uint64_t length);

}  // namespace plat
