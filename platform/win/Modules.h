#pragma once
// The module table behind GetModuleHandleA, LoadLibraryA, GetProcAddress and FreeLibrary: the system asks
// whether a module exports a function, loading the module for the question when it is not loaded yet.
// Modules and their exports are the stand-ins of this layer.
#include "platform/base/Text.h"

#include <cstdint>
#include <optional>

namespace rt::win {

using HMODULE = std::int32_t;
// A nonzero address for an export; the system only tests it against 0.
using FARPROC = const void*;

// Names are taken without regard to case, with or without ".dll". "user32", "gdi32" and "kernel32" are
// loaded from the start and stay loaded; "msimg32", "comdlg32" and "oleaut32" load on demand.
HMODULE GetModuleHandleA(const String& name);               // 0 when not loaded
HMODULE LoadLibraryA(const String& name);                   // 0 for an unknown module; counts each load
FARPROC GetProcAddress(HMODULE module, const String& name); // export names are case-sensitive
bool FreeLibrary(HMODULE module);                           // a module whose count reaches 0 is unloaded

// The module's load count (0 when not loaded or unknown), for tests.
int loadCount(const String& name);

// Per-pixel transparency works only under a compositing manager, so user32 exports
// "SetLayeredWindowAttributes" only then. Asked of the X server on xcb; false elsewhere.
bool compositingActive();
// Forces the answer in tests; nullopt asks the display again.
void setCompositingForTesting(std::optional<bool> active);

} // namespace rt::win
