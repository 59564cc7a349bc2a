// The one seam between the program and the operating system.
//
// Everything above this header is an ordinary Win32 program that calls the API by its own names.
// On Windows the real headers answer; elsewhere the emulated machine in platform/emu implements the
// same declarations, so the code that ships is the code that is tested.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// clang-format off
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <commctrl.h>
// clang-format on
#else
#include "platform/emu/win32_api.h"
#endif
