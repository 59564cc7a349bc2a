// Exports found by number in a loaded module's own export directory.
//
// Windows 9x's kernel32 refuses GetProcAddress by ordinal for its own exports, and some of them
// (the 16-bit route's LoadLibrary16, FreeLibrary16, GetProcAddress16) have no name: a program that
// needs them reads the image the module handle points to.
#pragma once

#include "platform/win32.h"

// The export numbered `ordinal` of the 32-bit image at `module`; null when the image has no such
// entry, when the entry forwards to another module, or when the headers are not a 32-bit image's.
FARPROC ExportByOrdinal(HMODULE module, WORD ordinal);
