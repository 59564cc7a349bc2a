// The console at a terminal: a ready machine on a running clock, a prompt with line editing,
// history and completion (libedit), and a status line after each command.
#pragma once

#include "platform/emu/machine.h"

namespace sim {

// The commands that make the machine a newcomer meets: drive D: with a sample audio disc, the
// program started. One command a line.
extern const char* const kReadyMachine[];

// Runs the console on standard input, which must be a terminal, until `quit` or the end of input
// (Ctrl-D). `options` gives the machine's folder; its clock runs in real time. Returns 0.
int RunInteractive(emu::MachineOptions options);

}  // namespace sim
