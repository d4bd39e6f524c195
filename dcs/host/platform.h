// Everything that differs between the targets the driver is built for: the
// 32-bit Windows DLL the host loads, and the Linux shared library (64-bit and
// 32-bit) that the tests load. No other file tests the target.
#pragma once

#if defined(_WIN32) && defined(__i386__)
// 32-bit Windows: the product.
#define DCS_EXPORT __declspec(dllexport)
#define DCS_IMPORT __declspec(dllimport)
#define DCS_CDECL __cdecl
#define DCS_STDCALL __stdcall
// Files written byte for byte, line ends as given.
#define DCS_OPEN_BINARY O_BINARY
#elif defined(__linux__) && defined(__i386__)
// 32-bit Linux: same calling conventions as the product, so callee clean-up
// of the emulator's functions is exercised.
#define DCS_EXPORT __attribute__((visibility("default")))
#define DCS_IMPORT
#define DCS_CDECL __attribute__((cdecl))
#define DCS_STDCALL __attribute__((stdcall))
#define DCS_OPEN_BINARY 0
#elif defined(__linux__) && defined(__x86_64__)
// 64-bit Linux: one calling convention; the attributes would be ignored.
#define DCS_EXPORT __attribute__((visibility("default")))
#define DCS_IMPORT
#define DCS_CDECL
#define DCS_STDCALL
#define DCS_OPEN_BINARY 0
#else
#error "dravik32 builds for 32-bit Windows, 32-bit Linux or 64-bit Linux only"
#endif
