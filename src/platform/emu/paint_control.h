// What the machine's windows painted and which bitmaps live, for tests: the machine has no screen,
// so a paint is kept as the list of what was drawn.
#pragma once

#include <string>
#include <vector>

#include "platform/emu/machine.h"

namespace emu {

struct PaintOp {
  enum class Kind { Fill, Edge, Bitmap, Focus };
  Kind kind = Kind::Fill;
  RECT rect{};
  std::string bitmap;  // Bitmap: the resource name of the bitmap drawn
  UINT edge = 0;       // Edge: EDGE_RAISED, EDGE_SUNKEN ...
};

// What `window` drew between its last BeginPaint and EndPaint, in order.
std::vector<PaintOp> LastPaint(Machine& machine, HWND window);
// How often InvalidateRect asked `window` to be painted again.
int Invalidations(Machine& machine, HWND window);
// Resource names of the bitmaps loaded and not yet deleted, one entry per handle.
std::vector<std::string> LiveBitmaps(Machine& machine);
// The window that holds the mouse capture, if any.
HWND CaptureWindow(Machine& machine);

}  // namespace emu
