// Redirects dravik32.dll's import of USER32's MessageBoxA to the stand-in, so
// the tests see every box the real DLL shows. The DLL itself is not changed
// on disk; only its import address table in this process.
// USER32 is left out: MessageBoxA is declared with the driver's own type.
#define NOUSER
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "user32/driver_message_box.h"

namespace {

[[noreturn]] void stop(const char* what) {
  std::fprintf(stderr, "user32 stand-in: %s\n", what);
  std::abort();
}

}  // namespace

MessageBoxAType* take_over_driver_message_box(MessageBoxAType* stand_in) {
  auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleA("dravik32.dll"));
  if (base == nullptr) stop("dravik32.dll is not loaded");
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* library =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       library->Name != 0; ++library) {
    if (_stricmp(reinterpret_cast<const char*>(base + library->Name), "user32.dll") != 0) continue;
    auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), "MessageBoxA") != 0) continue;
      DWORD protection = 0;
      if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                          &protection)) {
        stop("cannot write dravik32.dll's import table");
      }
      auto* system = reinterpret_cast<MessageBoxAType*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<DWORD_PTR>(stand_in);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
      return system;
    }
  }
  stop("dravik32.dll does not import USER32's MessageBoxA");
}
