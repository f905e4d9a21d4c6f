// LZNT1 unpacking through ntdll's RtlDecompressBuffer, which every Windows
// since NT 3.51 has (and Wine too). It is looked up at run time because the
// SDK declares it only in the driver headers.
#include <windows.h>

#include <climits>

#include "platform/compress.h"

namespace plat {

namespace {
using RtlDecompressBufferFn = LONG(WINAPI*)(USHORT format, PUCHAR out, ULONG outSize, PUCHAR packed, ULONG packedSize,
                                            PULONG finalSize);
constexpr USHORT kFormatLznt1 = 2;  // COMPRESSION_FORMAT_LZNT1

RtlDecompressBufferFn CompressUnpacker() {
    static const RtlDecompressBufferFn fn = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        if (!ntdll) return RtlDecompressBufferFn{};
        return reinterpret_cast<RtlDecompressBufferFn>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlDecompressBuffer")));
    }();
    return fn;
}
}  // namespace

size_t UnpackLznt1(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t outSize) {
    const RtlDecompressBufferFn unpack = CompressUnpacker();
    if (!unpack || packedSize == 0 || outSize == 0) return 0;
    if (packedSize > ULONG_MAX) return 0;
    // The call counts in 32 bits; the output room is only ever cut, which
    // the caller sees as a full buffer.
    const ULONG room = outSize > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(outSize);
    ULONG finalSize = 0;
    // The input is only read; the prototype merely lacks the const.
    const LONG status =
        unpack(kFormatLznt1, out, room, const_cast<PUCHAR>(packed), static_cast<ULONG>(packedSize), &finalSize);
    if (status < 0) return 0;
    return finalSize;
}

}  // namespace plat
