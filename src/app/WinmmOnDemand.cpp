// The program's two MCI calls, bound to winmm.dll when the first of them is made instead of when
// the process loads. Importing winmm makes the loader bring in and start winmm and what it needs
// (the audio compression manager, COM, RPC) before the program's first line runs, on the way to
// the tray icon; the first MCI call comes only after the icon is shown. The program's callers go
// through the import slots as before: the slots are defined here, so the exe does not import winmm
// and the linker does not take the slots of its import library.
//
// Every Windows the program runs on has winmm.dll; should it fail to load all the same, the MCI
// calls fail as a missing driver does, and the device's errors take it from there.
#include "platform/win32.h"

namespace {

HMODULE Winmm() {
  static const HMODULE module = LoadLibraryA("winmm.dll");
  return module;
}

template <typename Function>
Function Bound(const char* name) {
  HMODULE module = Winmm();
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

MCIERROR WINAPI SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR param1, DWORD_PTR param2) {
  static const auto send = Bound<decltype(&SendCommand)>("mciSendCommandA");
  return send ? send(device, message, param1, param2) : MCIERR_CANNOT_LOAD_DRIVER;
}

BOOL WINAPI GetErrorString(MCIERROR error, LPSTR text, UINT size) {
  static const auto get = Bound<decltype(&GetErrorString)>("mciGetErrorStringA");
  if (get) return get(error, text, size);
  if (text && size > 0) text[0] = '\0';
  return FALSE;
}

}  // namespace

// The import slots (names as the compiler calls through them: stdcall sizes in the 32-bit exe).
#if defined(__i386__)
#define ORVANTA_SLOT(name, bytes) "__imp__" name "@" bytes
#else
#define ORVANTA_SLOT(name, bytes) "__imp_" name
#endif
extern "C" {
extern decltype(&SendCommand)
    const orvantaSendCommand __asm__(ORVANTA_SLOT("mciSendCommandA", "16"));
decltype(&SendCommand) const orvantaSendCommand = &SendCommand;
extern decltype(&GetErrorString)
    const orvantaGetErrorString __asm__(ORVANTA_SLOT("mciGetErrorStringA", "12"));
decltype(&GetErrorString) const orvantaGetErrorString = &GetErrorString;
}
