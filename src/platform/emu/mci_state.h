// The machine's MCI state (devices, trace). Part of Machine::Impl.
#pragma once

namespace emu {
struct MciState {};
}  // namespace emu
