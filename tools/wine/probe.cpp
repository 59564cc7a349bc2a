// Windows-side eyes for the Wine checks. Wine's tasklist is a stub and the
// exit status of `wine prog.exe` keeps only the low byte of the exit code, so
// the checks ask the wineserver directly through this small console program.
//
//   probe run [--desktop NAME] [--report FILE] [--linger MS2] MS EXE
//                                       start EXE, wait up to MS ms for it to end; the
//                                       outcome also goes to FILE, and the probe stays MS2 ms
//                                       longer (a virtual desktop it started in stays open)
//   probe list IMAGE                    processes whose image name is IMAGE
//   probe kill MS IMAGE                 TerminateProcess each, wait up to MS ms
//   probe windows DESKTOP IMAGE         top-level windows of those processes
//   probe ping DESKTOP IMAGE TITLE MS   send WM_NULL to its window titled TITLE:
//                                       an answer means its message loop runs
//
// Exit codes: 0 = as asked, 1 = no such process, 2 = did not end or answer in
// time, 3 = could not start, 4 = no such window, 64 = bad usage.
// Lines go to stdout for the check's log.

#include <windows.h>
// tlhelp32.h needs the types of windows.h; this line keeps sorting from swapping them.
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kOk = 0;
constexpr int kNone = 1;
constexpr int kStillRunning = 2;
constexpr int kCannotStart = 3;
constexpr int kNoWindow = 4;
constexpr int kUsage = 64;

// Exit code of a probe-terminated process: recognisable in logs, and never
// equal to one the program chooses itself.
constexpr UINT kTerminatedCode = 0x4F42DEAD;

std::vector<DWORD> ProcessesNamed(const char* image) {
  std::vector<DWORD> pids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return pids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
    // Wine reports the bare file name here; a full path is trimmed to be safe.
    const char* name = strrchr(entry.szExeFile, '\\');
    name = name ? name + 1 : entry.szExeFile;
    if (lstrcmpiA(name, image) == 0) pids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snap);
  return pids;
}

ULONGLONG Now() {
  return GetTickCount64();
}

int Report(const char* line, const char* file, int status) {
  printf("%s", line);
  if (file) {
    if (FILE* out = fopen(file, "w")) {
      fputs(line, out);
      fclose(out);
    }
  }
  return status;
}

// Starts `exe` and reports how it ended, on stdout and in `report` when given.
int RunOne(const char* desktop, DWORD bound, const char* exe, const char* report) {
  char line[256] = "";

  // Start it from its own folder, as a double click in Explorer would.
  std::string folder(exe);
  const size_t slash = folder.find_last_of('\\');
  folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash + 1);
  std::string command = "\"" + std::string(exe) + "\"";

  STARTUPINFOA si{};
  si.cb = sizeof si;
  // Same desktop as the first copy, so anything it shows lands in the screenshots.
  si.lpDesktop = const_cast<char*>(desktop);
  PROCESS_INFORMATION pi{};
  const ULONGLONG start = Now();
  if (!CreateProcessA(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                      &pi)) {
    snprintf(line, sizeof line, "cannot start %s: error %lu\n", exe, GetLastError());
    return Report(line, report, kCannotStart);
  }
  CloseHandle(pi.hThread);
  const DWORD waited = WaitForSingleObject(pi.hProcess, bound);
  const ULONGLONG elapsed = Now() - start;
  if (waited != WAIT_OBJECT_0) {
    // A copy left behind would hold the program's mutex and spoil the next step.
    TerminateProcess(pi.hProcess, kTerminatedCode);
    WaitForSingleObject(pi.hProcess, 5000);
    snprintf(line, sizeof line, "still running after %llu ms (pid %lu); terminated it\n", elapsed,
             pi.dwProcessId);
    CloseHandle(pi.hProcess);
    return Report(line, report, kStillRunning);
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  snprintf(line, sizeof line, "exited with code %lu (0x%08lX) after %llu ms (pid %lu)\n", code,
           code, elapsed, pi.dwProcessId);
  return Report(line, report, kOk);
}

int Run(int argc, char** argv) {
  const char* desktop = nullptr;
  int i = 0;
  const char* report = nullptr;
  DWORD linger = 0;
  for (; i + 1 < argc && strncmp(argv[i], "--", 2) == 0; i += 2) {
    if (strcmp(argv[i], "--desktop") == 0) {
      desktop = argv[i + 1];
    } else if (strcmp(argv[i], "--report") == 0) {
      report = argv[i + 1];
    } else if (strcmp(argv[i], "--linger") == 0) {
      linger = strtoul(argv[i + 1], nullptr, 10);
    } else {
      return kUsage;
    }
  }
  if (argc - i != 2) return kUsage;
  const int status = RunOne(desktop, strtoul(argv[i], nullptr, 10), argv[i + 1], report);
  Sleep(linger);
  return status;
}

int List(const char* image) {
  const auto pids = ProcessesNamed(image);
  for (DWORD pid : pids) printf("pid %lu %s\n", pid, image);
  return pids.empty() ? kNone : kOk;
}

int Kill(DWORD bound, const char* image) {
  const auto pids = ProcessesNamed(image);
  if (pids.empty()) {
    printf("no %s running\n", image);
    return kNone;
  }
  const ULONGLONG deadline = Now() + bound;
  int result = kOk;
  for (DWORD pid : pids) {
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!h) {
      // It ended between the snapshot and now, which is what we want anyway.
      if (GetLastError() == ERROR_INVALID_PARAMETER) continue;
      printf("cannot open pid %lu: error %lu\n", pid, GetLastError());
      result = kStillRunning;
      continue;
    }
    TerminateProcess(h, kTerminatedCode);
    const ULONGLONG now = Now();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    if (WaitForSingleObject(h, left) == WAIT_OBJECT_0) {
      printf("terminated pid %lu\n", pid);
    } else {
      printf("pid %lu did not end within %lu ms\n", pid, bound);
      result = kStillRunning;
    }
    CloseHandle(h);
  }
  if (result == kOk && !ProcessesNamed(image).empty()) {
    printf("%s still listed after termination\n", image);
    result = kStillRunning;
  }
  return result;
}

struct WindowScan {
  std::vector<DWORD> pids;
  int found = 0;
};

BOOL CALLBACK ReportWindow(HWND hwnd, LPARAM param) {
  auto* scan = reinterpret_cast<WindowScan*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  bool ours = false;
  for (DWORD p : scan->pids) ours = ours || p == pid;
  if (!ours) return TRUE;
  char title[256] = "";
  char cls[256] = "";
  GetWindowTextA(hwnd, title, sizeof title);
  GetClassNameA(hwnd, cls, sizeof cls);
  RECT r{};
  GetWindowRect(hwnd, &r);
  // IsWindowVisible judges the parent chain from the caller's own desktop, where
  // another desktop's windows never count as shown; for a top-level window the
  // style bit alone says it.
  const bool visible = (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
  // One line per window, fields tab-separated so the shell can read them.
  printf("window\t%lu\t%s\t%ld\t%ld\t%s\t%s\n", pid, visible ? "visible" : "hidden",
         r.right - r.left, r.bottom - r.top, cls, title);
  ++scan->found;
  return TRUE;
}

int Windows(const char* desktop, const char* image) {
  WindowScan scan;
  scan.pids = ProcessesNamed(image);
  if (scan.pids.empty()) {
    printf("no %s running\n", image);
    return kNone;
  }
  HDESK hdesk = OpenDesktopA(desktop, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
  if (!hdesk) {
    printf("cannot open desktop %s: error %lu\n", desktop, GetLastError());
    return kNoWindow;
  }
  EnumDesktopWindows(hdesk, ReportWindow, reinterpret_cast<LPARAM>(&scan));
  CloseDesktop(hdesk);
  return scan.found ? kOk : kNoWindow;
}

struct TitleSearch {
  std::vector<DWORD> pids;
  const char* title;
  std::vector<HWND> found;
};

BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TitleSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char title[256] = "";
  GetWindowTextA(hwnd, title, sizeof title);
  for (DWORD p : search->pids) {
    if (p == pid && strcmp(title, search->title) == 0) search->found.push_back(hwnd);
  }
  return TRUE;
}

int Ping(const char* desktop, const char* image, const char* title, DWORD bound) {
  TitleSearch search{ProcessesNamed(image), title, {}};
  if (search.pids.empty()) {
    printf("no %s running\n", image);
    return kNone;
  }
  HDESK hdesk = OpenDesktopA(desktop, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
  if (!hdesk) {
    printf("cannot open desktop %s: error %lu\n", desktop, GetLastError());
    return kNoWindow;
  }
  EnumDesktopWindows(hdesk, MatchTitle, reinterpret_cast<LPARAM>(&search));
  CloseDesktop(hdesk);
  if (search.found.empty()) {
    printf("no window titled \"%s\" belongs to %s\n", title, image);
    return kNoWindow;
  }
  DWORD_PTR answer = 0;
  const ULONGLONG start = Now();
  if (!SendMessageTimeoutA(search.found.front(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, bound, &answer)) {
    printf("window \"%s\" did not answer within %lu ms: error %lu\n", title, bound, GetLastError());
    return kStillRunning;
  }
  printf("window \"%s\" answered after %llu ms\n", title, Now() - start);
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  // The shell reads these lines while the probe may still be waiting.
  setvbuf(stdout, nullptr, _IONBF, 0);
  const std::string verb = argc > 1 ? argv[1] : "";
  int result = kUsage;
  if (verb == "run") {
    result = Run(argc - 2, argv + 2);
  } else if (verb == "list" && argc == 3) {
    result = List(argv[2]);
  } else if (verb == "kill" && argc == 4) {
    result = Kill(strtoul(argv[2], nullptr, 10), argv[3]);
  } else if (verb == "windows" && argc == 4) {
    result = Windows(argv[2], argv[3]);
  } else if (verb == "ping" && argc == 6) {
    result = Ping(argv[2], argv[3], argv[4], strtoul(argv[5], nullptr, 10));
  }
  if (result == kUsage) fprintf(stderr, "usage: see the comment at the top of probe.cpp\n");
  return result;
}
