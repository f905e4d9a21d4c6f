// The last system error code of the calling thread and the system's text
// for a code. Codes are Windows error codes on every build.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

constexpr uint32_t kErrFileNotFound = 2;
constexpr uint32_t kErrPathNotFound = 3;
constexpr uint32_t kErrAccessDenied = 5;
constexpr uint32_t kErrNotEnoughMemory = 8;
constexpr uint32_t kErrNotSameDevice = 17;
constexpr uint32_t kErrWriteProtect = 19;
constexpr uint32_t kErrWriteFault = 29;
constexpr uint32_t kErrReadFault = 30;
constexpr uint32_t kErrSharingViolation = 32;
constexpr uint32_t kErrLockViolation = 33;
constexpr uint32_t kErrNotSupported = 50;
constexpr uint32_t kErrFileExists = 80;
constexpr uint32_t kErrInvalidParameter = 87;
constexpr uint32_t kErrDiskFull = 112;
constexpr uint32_t kErrInvalidName = 123;
constexpr uint32_t kErrDirNotEmpty = 145;
constexpr uint32_t kErrAlreadyExists = 183;
constexpr uint32_t kErrFilenameTooLong = 206;
constexpr uint32_t kErrFileTooLarge = 223;
constexpr uint32_t kErrRequestAborted = 1235;
constexpr uint32_t kErrEncryptionFailed = 6000;

uint32_t LastError();
void SetLastError(uint32_t code);

// The system's message for `code` as FormatMessageW gives it, including the
// trailing CR LF; empty when the system has no text for the code.
std::wstring SystemErrorText(uint32_t code);

}  // namespace plat
