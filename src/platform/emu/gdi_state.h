// The machine's GDI state (bitmaps, paint contexts, what windows painted). Part of Machine::Impl.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/emu/paint_control.h"

namespace emu {

struct GdiState {
  struct Context {
    HWND window = nullptr;  // a paint context's window; none for a memory context
    HGDIOBJ selected = nullptr;
    std::vector<PaintOp> ops;
  };
  std::map<HBITMAP, std::string> bitmaps;  // live bitmaps and the resource they came from
  std::map<HDC, Context> contexts;
  std::map<HWND, std::vector<PaintOp>> painted;  // each window's last finished paint
  std::map<HWND, int> invalidated;               // InvalidateRect calls per window
  HWND capture = nullptr;
  uintptr_t nextHandle = 0x30000;
};

}  // namespace emu
