// Unit ExitWin32: the component that ends Windows — shut down, reboot, restart Windows 9x, log off.
//
// It hides the two families' differences: on Windows NT shut-down and reboot first enable the
// process's shutdown privilege; on Windows 9x the restart of Windows alone goes to the 16-bit
// USER's ExitWindows through the flat thunk. Each operation returns once Windows has accepted the
// request (the ending then goes on outside the program) and raises otherwise, with fixed English
// messages that users and logs quote.
#pragma once

#include "toolkit/Classes.h"
#include "toolkit/SysUtils.h"

class EExitError : public vcl::Exception {
  using vcl::Exception::Exception;
};

class TExitWin : public vcl::TComponent {
 public:
  explicit TExitWin(vcl::TComponent* owner) : vcl::TComponent(owner) {}

  // Shut down (on Windows 9x also power off).
  void PowerOffWindows();
  void RebootWindows();
  // Restarts Windows 9x without restarting the machine; refused on Windows NT.
  void RestartWindows();
  void LogOffWindows();
};

// Whether the system is of the NT family, as TExitWin asks it (afresh at each call). A system that
// cannot say is taken for NT: the privileged path and the refused restart are the safe side
// there, where nothing of the 16-bit route may be called. Whoever decides by the family what the
// user is offered asks here, so that offer and operation agree.
bool IsWindowsNT();

// Registers TExitWin for form definitions (once per process).
void RegisterExitWinClasses();
