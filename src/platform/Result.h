#pragma once

#include <cstdint>

// Result codes in the style the engine's components report: 0 is success,
// values with the top bit set are failures.
using HResult = std::int32_t;

constexpr HResult S_OK = 0;
constexpr HResult S_FALSE = 1;
constexpr HResult E_FAIL = static_cast<HResult>(0x80004005u);
constexpr HResult E_INVALIDARG = static_cast<HResult>(0x80070057u);
constexpr HResult E_OUTOFMEMORY = static_cast<HResult>(0x8007000Eu);
constexpr HResult E_NOTIMPL = static_cast<HResult>(0x80004001u);
constexpr HResult E_NOINTERFACE = static_cast<HResult>(0x80004002u);

constexpr bool Succeeded(HResult code) { return code >= 0; }
constexpr bool Failed(HResult code) { return code < 0; }
