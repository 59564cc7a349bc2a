// The machine's state for ending Windows: the requests received, the trace of the exit route's
// calls, the 16-bit USER module and thread hooks. Part of Machine::Impl; guarded by Impl::mu.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/emu/exit_control.h"

namespace emu {

struct HookRec {
  int type = 0;
  HOOKPROC proc = nullptr;
  DWORD threadId = 0;
};

struct ExitState {
  std::vector<ExitRequest> requests;
  std::vector<std::string> trace;
  // The 16-bit USER module's load count (LoadLibrary16 / FreeLibrary16).
  int user16Loads = 0;
  std::map<HHOOK, HookRec> hooks;
  uintptr_t nextHook = 0x40000;
};

}  // namespace emu
