// The emulated processes' own copies of a program's global variables (platform/process_global.h).
#pragma once

#include <vector>

namespace emu {

using MakeData = void* (*)();
using DestroyData = void (*)(void*);

// The calling thread's process's copy of the variable `key`: made by `make` on first use and
// destroyed by `destroy` once the process has ended (the host process 0's with the machine). With
// no machine, one copy serves the whole Linux process.
void* ProcessData(const void* key, MakeData make, DestroyData destroy);

// The copies of `key` in the running programs that have one, oldest first: how a test or the
// console looks into a program, while the machine is settled.
std::vector<void*> RunningProcessData(const void* key);

}  // namespace emu
