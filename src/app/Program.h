// The program's entry, shared by the Windows exe and the emulated machine.
#pragma once

// Runs one copy of the program to its end; returns the process's exit code.
int OrvantaBrevoMain();
