#pragma once
// HRESULT values of the extension, usable without the Windows headers.
#include <cstdint>

namespace qlry {

using HResult = int32_t;

inline constexpr HResult kSOk = 0;
inline constexpr HResult kSFalse = 1;
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005);
inline constexpr HResult kEPointer = static_cast<HResult>(0x80004003);
inline constexpr HResult kENoInterface = static_cast<HResult>(0x80004002);
inline constexpr HResult kEOutOfMemory = static_cast<HResult>(0x8007000E);
inline constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057);
inline constexpr HResult kClassENoAggregation = static_cast<HResult>(0x80040110);
inline constexpr HResult kClassEClassNotAvailable = static_cast<HResult>(0x80040111);

constexpr HResult HResultFromWin32(long error) {
    return error <= 0 ? static_cast<HResult>(error)
                      : static_cast<HResult>((static_cast<uint32_t>(error) & 0xFFFF) | 0x80070000u);
}

constexpr bool Failed(HResult result) { return result < 0; }

}  // namespace qlry
