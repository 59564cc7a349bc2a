#include "app/Program.h"

#include "form/MainUnit.h"
#include "platform/win32.h"

namespace {
constexpr const char* kMutexName = "hOrvanta";
constexpr const char* kTitle = "OrvantaBrevo";
}  // namespace

int OrvantaBrevoMain() {
  // Load time: every copy registers its cursor, also one that leaves at once below.
  vcl::TScreen screen;
  MainUnitInitialization(screen);

  // A mutex of this name is the whole sign that a copy runs; it is never locked.
  if (HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName)) {
    CloseHandle(running);
    return 0;
  }
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kMutexName);
  // Two copies started together can both miss the mutex above; the creation tells the later one.
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return 0;
  }

  int exitCode = 0;
  vcl::Screen = &screen;
  {
    vcl::TApplication application;
    vcl::Application = &application;
    application.Initialize();
    application.SetShowMainForm(false);
    ShowWindow(application.Handle(), SW_HIDE);  // no taskbar button
    application.SetTitle(kTitle);
    bool created = true;
    try {
      application.CreateForm<TPropertyForm>();
    } catch (...) {
      // Without its form (its tray icon refused, say) the program could neither be seen nor ended,
      // and would keep any new copy from starting: it reports the error and ends.
      application.HandleException();
      created = false;
      exitCode = 1;
    }
    if (created) application.Run();
    if (mutex) ReleaseMutex(mutex);
    // Leaving this scope destroys the form and every component it owns.
  }
  vcl::Application = nullptr;
  vcl::Screen = nullptr;
  // The name goes with the last handle: a new copy may start from here on.
  if (mutex) CloseHandle(mutex);
  return exitCode;
}
