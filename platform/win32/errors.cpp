// The thread's last error and the system's text for an error code.
#include <windows.h>

#include "platform/errors.h"

namespace plat {

uint32_t LastError() { return ::GetLastError(); }

void SetLastError(uint32_t code) { ::SetLastError(code); }

std::wstring SystemErrorText(uint32_t code) {
    wchar_t* buffer = nullptr;
    // IGNORE_INSERTS: some system texts carry "%1" placeholders, which would
    // otherwise read arguments that are not there.
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer) text.assign(buffer, length);
    if (buffer) LocalFree(buffer);
    return text;
}

}  // namespace plat
