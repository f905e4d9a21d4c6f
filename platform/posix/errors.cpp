#include "platform/errors.h"

namespace plat {

static thread_local uint32_t g_lastError = 0;

uint32_t LastError() { return g_lastError; }

void SetLastError(uint32_t code) { g_lastError = code; }

// The texts Windows gives for the codes this layer produces, with the CR LF
// the system appends; other codes have no text, as FormatMessageW has none.
std::wstring SystemErrorText(uint32_t code) {
    const wchar_t* text = nullptr;
    switch (code) {
        case 0:
            text = L"The operation completed successfully.";
            break;
        case kErrFileNotFound:
            text = L"The system cannot find the file specified.";
            break;
        case kErrPathNotFound:
            text = L"The system cannot find the path specified.";
            break;
        case kErrAccessDenied:
            text = L"Access is denied.";
            break;
        case kErrNotEnoughMemory:
            text = L"Not enough memory resources are available to process this command.";
            break;
        case kErrWriteFault:
            text = L"The system cannot write to the specified device.";
            break;
        case kErrReadFault:
            text = L"The system cannot read from the specified device.";
            break;
        case kErrSharingViolation:
            text = L"The process cannot access the file because it is being used by another process.";
            break;
        case kErrFileExists:
            text = L"The file exists.";
            break;
        case kErrInvalidParameter:
            text = L"The parameter is incorrect.";
            break;
        case kErrDiskFull:
            text = L"There is not enough space on the disk.";
            break;
        case kErrInvalidName:
            text = L"The filename, directory name, or volume label syntax is incorrect.";
            break;
        case kErrDirNotEmpty:
            text = L"The directory is not empty.";
            break;
        case kErrAlreadyExists:
            text = L"Cannot create a file when that file already exists.";
            break;
        case kErrFilenameTooLong:
            text = L"The filename or extension is too long.";
            break;
        case kErrRequestAborted:
            text = L"The request was aborted.";
            break;
        default:
            return L"";
    }
    return std::wstring(text) + L"\r\n";
}

}  // namespace plat
