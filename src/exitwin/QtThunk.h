// The call of a 16-bit function through Windows 9x's flat thunk, in the x86 build. Kept apart so
// that the Wine checks can build it into a probe of their own and run it against the real thunk.
#pragma once

#if defined(_WIN32) && defined(__i386__)
#include <windows.h>

// Calls a 16-bit Pascal function through kernel32's QT_Thunk (Windows 9x's flat thunk).
//   thunk     QT_Thunk's address
//   target    the function's 16:16 address
//   instance  the 16-bit module's instance handle, kept in the first word of the thunk's area
//   stack     the arguments as the 16-bit stack holds them: the last one pushed first
//   bytes     their size, even
// Returns EAX as QT_Thunk leaves it: the function's 16-bit answer in AX.
extern "C" DWORD OrvantaQtThunkCall(FARPROC thunk, DWORD target, DWORD instance, const void* stack,
                                    DWORD bytes);
#endif
