// The machine's shell state (notification area, popup menus). Part of Machine::Impl.
#pragma once

namespace emu {
struct ShellState {};
}  // namespace emu
