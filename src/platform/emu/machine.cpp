#include "platform/emu/machine.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "platform/emu/machine_impl.h"

namespace emu {
namespace {

Machine* g_current = nullptr;

// The calling thread's binding to a machine. A stale binding (a machine destroyed since) is
// replaced. A new machine may sit at the address of the last one, so a binding also names the
// machine by its serial number.
thread_local Machine::Impl* tls_impl = nullptr;
thread_local uint64_t tls_serial = 0;
thread_local DWORD tls_thread = 0;
std::atomic<uint64_t> g_serial{0};

std::string Upper(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Real time a program may stay busy before the machine gives up waiting for it.
constexpr auto kSettleLimit = std::chrono::seconds(60);

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Impl helpers

uint64_t Machine::Impl::NowLocked() const {
  if (manualClock) return manualNow;
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - realStart)
                                   .count());
}

ThreadRec* Machine::Impl::ThreadLocked(DWORD id) {
  auto it = threads.find(id);
  return it == threads.end() ? nullptr : it->second.get();
}

ThreadRec& Machine::Impl::CurrentThreadLocked() {
  if (tls_impl == this && tls_serial == g_serial) {
    if (auto* t = ThreadLocked(tls_thread)) return *t;
  }
  // A thread the machine did not start (a test's own thread): it belongs to the host process 0.
  auto rec = std::make_unique<ThreadRec>();
  rec->id = nextThreadId++;
  rec->pid = 0;
  if (!processes.count(0)) {
    auto host = std::make_unique<ProcessRec>();
    host->id = 0;
    processes[0] = std::move(host);
  }
  tls_impl = this;
  tls_serial = g_serial;
  tls_thread = rec->id;
  auto& ref = *rec;
  threads[rec->id] = std::move(rec);
  return ref;
}

ProcessRec* Machine::Impl::CurrentProcessLocked() {
  auto& t = CurrentThreadLocked();
  auto it = processes.find(t.pid);
  return it == processes.end() ? nullptr : it->second.get();
}

WindowRec* Machine::Impl::WindowLocked(HWND window) {
  auto it = windows.find(window);
  return it == windows.end() ? nullptr : &it->second;
}

void Machine::Impl::WakeLocked(ThreadRec& thread) {
  if (thread.blocked) {
    thread.blocked = false;
    if (thread.emulated) ++active;
  }
  thread.cv.notify_all();
}

void Machine::Impl::WakeAllLocked() {
  for (auto& [id, t] : threads) WakeLocked(*t);
}

std::optional<uint64_t> Machine::Impl::NextDueLocked(const ThreadRec* thread) const {
  std::optional<uint64_t> next;
  auto consider = [&](uint64_t t) {
    if (!next || t < *next) next = t;
  };
  for (const auto& timer : timers) {
    if (!thread || timer.threadId == thread->id) consider(timer.due);
  }
  if (thread && thread->sleepUntil) consider(*thread->sleepUntil);
  for (auto* alarm : alarms) {
    if (auto due = alarm->Due()) consider(*due);
  }
  return next;
}

void Machine::Impl::BlockLocked(std::unique_lock<std::mutex>& lock, ThreadRec& thread,
                                const std::function<bool()>& ready) {
  while (thread.terminated || !ready()) {
    if (thread.terminated) ParkLocked(lock, thread);
    if (!thread.blocked) {
      thread.blocked = true;
      if (thread.emulated) --active;
      changed.notify_all();
    }
    if (manualClock) {
      thread.cv.wait(lock);
    } else {
      auto due = NextDueLocked(&thread);
      if (due) {
        auto now = NowLocked();
        auto wait = std::chrono::milliseconds(*due > now ? *due - now : 0);
        thread.cv.wait_for(lock, wait);
        RunDueAlarms(lock);
      } else {
        thread.cv.wait(lock);
      }
    }
  }
  if (thread.blocked) {
    thread.blocked = false;
    if (thread.emulated) ++active;
  }
}

[[noreturn]] void Machine::Impl::ParkLocked(std::unique_lock<std::mutex>& lock, ThreadRec& thread) {
  if (!thread.blocked && thread.emulated) --active;
  thread.blocked = true;
  thread.parked = true;
  changed.notify_all();
  lock.unlock();
  // As TerminateProcess leaves a thread: nothing after this point of it ever runs, and nothing of
  // the machine is touched again (the record goes with the process).
  for (;;) ::pause();
}

void Machine::Impl::RunDueAlarms(std::unique_lock<std::mutex>& lock) {
  // An alarm posts messages through the Win32 functions, which take the lock themselves.
  for (bool fired = true; fired;) {
    fired = false;
    auto now = NowLocked();
    for (auto* alarm : alarms) {
      auto due = alarm->Due();
      if (due && *due <= now) {
        lock.unlock();
        alarm->Fire(now);
        lock.lock();
        fired = true;
        break;
      }
    }
  }
}

HANDLE Machine::Impl::NewHandleLocked(ProcessRec& process, HandleRec rec) {
  auto handle = reinterpret_cast<HANDLE>(nextHandle);
  nextHandle += 4;
  process.handles[handle] = std::move(rec);
  return handle;
}

void BindCurrentThread(Machine::Impl* impl, DWORD threadId) {
  tls_impl = impl;
  tls_serial = g_serial;
  tls_thread = threadId;
}

ThreadRec& CurrentThread(Machine::Impl& impl) {
  return impl.CurrentThreadLocked();
}

Machine::Impl& Impl() {
  return Machine::Current().impl();
}

// ---------------------------------------------------------------------------------------------------
// Machine

Machine::Machine(MachineOptions options) : impl_(std::make_unique<Impl>(*this)) {
  if (g_current) {
    std::fputs("emu: a second machine was made while one exists\n", stderr);
    std::abort();
  }
  ++g_serial;
  if (options.root.empty()) {
    std::string templ =
        (std::filesystem::temp_directory_path() / "orvanta-machine-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("cannot make the machine's folder");
    root_ = templ;
    ownsRoot_ = true;
  } else {
    // Named objects are keyed by the folder, so every spelling of it must give one name.
    std::filesystem::create_directories(options.root);
    root_ = std::filesystem::canonical(options.root);
  }
  std::filesystem::create_directories(HostPath(ProgramPath()).parent_path());
  std::filesystem::create_directories(HostPath(WindowsDirectory()));
  impl_->manualClock = options.manualClock;
  impl_->endLimitMs = options.endLimitMs;
  impl_->drives['C'] = DriveRec{
      DRIVE_FIXED, VolumeAnswer{"SYSTEM", 0x1C2D3E4F, "NTFS", 255, FILE_CASE_PRESERVED_NAMES}, {}};
  impl_->mci.playEnd = MakePlayEndAlarm(*impl_);
  impl_->alarms.push_back(impl_->mci.playEnd.get());
  g_current = this;
}

Machine::~Machine() {
  // Whoever owns a machine asks its programs to end first (the console does, and reports the
  // ones it had to end); one still stuck here is a test's fault that must not pass unseen.
  if (!EndAllProcesses().empty()) {
    std::fputs("emu: a program did not end when asked to\n", stderr);
    std::abort();
  }
  std::map<const void*, ProcessDataRec> hostData;
  {
    std::lock_guard lock(impl_->mu);
    if (auto host = impl_->processes.find(0); host != impl_->processes.end()) {
      hostData = std::move(host->second->data);
    }
  }
  DestroyProcessData(std::move(hostData));
  {
    std::lock_guard lock(impl_->mu);
    for (auto& [name, m] : impl_->mutexes) {
      if (m.fd >= 0) ::close(m.fd);
    }
  }
  g_current = nullptr;
  if (ownsRoot_) {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
}

Machine& Machine::Current() {
  if (!g_current) {
    std::fputs("emu: a Win32 function was called with no emulated machine\n", stderr);
    std::abort();
  }
  return *g_current;
}

Machine* Machine::CurrentOrNull() {
  return g_current;
}

void Machine::SetPlatform(Platform platform) {
  std::lock_guard lock(impl_->mu);
  impl_->platform = platform;
}

Platform Machine::GetPlatform() const {
  std::lock_guard lock(impl_->mu);
  return impl_->platform;
}

void Machine::SetAnsiCodePage(UINT codePage) {
  if (codePage != 1252 && codePage != 932) {
    throw std::invalid_argument("the machine has code pages 1252 and 932 only");
  }
  impl_->ansiCodePage = codePage;
}

UINT Machine::AnsiCodePage() const {
  return impl_->ansiCodePage;
}

std::vector<std::string> Machine::RefusedWideCalls() const {
  std::lock_guard lock(impl_->mu);
  return impl_->refusedWideCalls;
}

bool RefusedOnWin9x(const char* function) {
  auto& impl = Impl();
  {
    std::lock_guard lock(impl.mu);
    if (impl.platform == Platform::NT) return false;
    impl.refusedWideCalls.emplace_back(function);
  }
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return true;
}

std::filesystem::path Machine::HostPath(std::string_view windowsPath) const {
  std::string path(windowsPath);
  std::replace(path.begin(), path.end(), '\\', '/');
  std::string drive = "C";
  // A bare name is looked for in the Windows folder, as the profile functions do.
  std::vector<std::string> parts{"WINDOWS"};
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    drive.assign(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    parts.clear();
    path.erase(0, 2);
  }
  // "." is the folder itself and ".." its parent, but a drive's root is its own parent, as on
  // Windows: no path leaves the drive's folder.
  std::istringstream components(path);
  for (std::string part; std::getline(components, part, '/');) {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
  }
  std::filesystem::path host = root_ / drive;
  for (const std::string& part : parts) host /= part;
  return host;
}

void Machine::SetReadOnly(std::string_view windowsPath, bool readOnly) {
  std::lock_guard lock(impl_->mu);
  if (readOnly) {
    impl_->readOnly.insert(Upper(windowsPath));
  } else {
    impl_->readOnly.erase(Upper(windowsPath));
  }
}

bool Machine::IsReadOnly(std::string_view windowsPath) const {
  std::lock_guard lock(impl_->mu);
  return impl_->readOnly.count(Upper(windowsPath)) != 0;
}

void Machine::AddDrive(char letter, UINT type) {
  std::lock_guard lock(impl_->mu);
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  // Devices open on a drive that is replaced go with it: they hold on to the old drive.
  std::erase_if(impl_->mci.devices, [&](const auto& d) { return d.second.drive == letter; });
  DriveRec drive{type, std::nullopt, nullptr};
  if (type == DRIVE_CDROM) {
    Impl* impl = impl_.get();
    drive.cd = std::make_unique<cdaudio::Drive>([impl] { return impl->NowLocked(); });
  }
  impl_->drives[letter] = std::move(drive);
  std::filesystem::create_directories(root_ / std::string(1, letter));
}

void Machine::InsertMedium(char letter, VolumeAnswer volume) {
  {
    std::lock_guard lock(impl_->mu);
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    auto it = impl_->drives.find(letter);
    if (it == impl_->drives.end()) throw std::invalid_argument("no such drive");
    if (!it->second.cd) {
      it->second.volume = std::move(volume);
      return;
    }
    // A CD drive's medium is a disc: this one holds only data, under the label and serial given.
    cdaudio::Disc disc;
    disc.tracks.push_back(cdaudio::TrackEntry{false, 10 * cdaudio::kFramesPerMinute});
    disc.label = std::move(volume.label);
    disc.serial = volume.serial;
    it->second.cd->Insert(std::move(disc));
  }
  impl_->PostMciCompletions();
}

void Machine::EjectMedium(char letter) {
  {
    std::lock_guard lock(impl_->mu);
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    auto it = impl_->drives.find(letter);
    if (it == impl_->drives.end()) return;
    if (it->second.cd) {
      it->second.cd->Eject();
    } else {
      it->second.volume.reset();
    }
  }
  impl_->PostMciCompletions();
}

std::vector<std::pair<char, UINT>> Machine::Drives() const {
  std::lock_guard lock(impl_->mu);
  std::vector<std::pair<char, UINT>> out;
  for (const auto& [letter, d] : impl_->drives) out.emplace_back(letter, d.type);
  return out;
}

std::string Machine::ProgramPath() const {
  std::lock_guard lock(impl_->mu);
  return impl_->programPath;
}

void Machine::SetProgramPath(std::string path) {
  std::filesystem::create_directories(HostPath(path).parent_path());
  std::lock_guard lock(impl_->mu);
  impl_->programPath = std::move(path);
}

std::string Machine::SettingsPath() const {
  std::string path = ProgramPath();
  const size_t dot = path.rfind('.');
  const size_t separator = path.find_last_of("\\:");
  if (dot != std::string::npos && (separator == std::string::npos || dot > separator)) {
    path.resize(dot);
  }
  return path + ".ini";
}

void Machine::SetDriveDirectory(char letter, std::string directory) {
  std::lock_guard lock(impl_->mu);
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (directory.empty() || directory == "\\" || directory == "/") {
    impl_->driveDirectories.erase(letter);
  } else {
    impl_->driveDirectories[letter] = std::move(directory);
  }
}

std::string Machine::DriveDirectory(char letter) const {
  std::lock_guard lock(impl_->mu);
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  auto it = impl_->driveDirectories.find(letter);
  return it == impl_->driveDirectories.end() ? "\\" : it->second;
}

std::optional<VolumeAnswer> Machine::Volume(char letter) const {
  std::lock_guard lock(impl_->mu);
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  auto it = impl_->drives.find(letter);
  if (it == impl_->drives.end()) return std::nullopt;
  if (!it->second.cd) return it->second.volume;
  std::optional<cdaudio::VolumeInfo> info = it->second.cd->Volume();
  if (!info) return std::nullopt;
  return VolumeAnswer{info->label, info->serial, info->file_system, info->max_component_length,
                      info->flags};
}

namespace {

// Every function a pending failure can reach: the emulated functions consult these names and no
// others. A name outside the list would make a script or a test that tests nothing.
constexpr std::string_view kFailable[] = {"AdjustTokenPrivileges",
                                          "AppendMenuA",
                                          "AppendMenuW",
                                          "CreateCompatibleDC",
                                          "CreateMutexA",
                                          "CreatePopupMenu",
                                          "CreateThread",
                                          "CreateWindowExA",
                                          "ExitWindows",
                                          "ExitWindowsEx",
                                          "GetLogicalDriveStringsA",
                                          "GetPrivateProfileStringA",
                                          "GetProcAddress",
                                          "GetProcAddress16",
                                          "GetVersionExA",
                                          "GetVolumeInformationA",
                                          "LoadBitmapA",
                                          "LoadCursorA",
                                          "LoadIconA",
                                          "LoadImageA",
                                          "LoadLibrary16",
                                          "LoadLibraryA",
                                          "LookupPrivilegeValueA",
                                          "MessageBoxA",
                                          "MessageBoxW",
                                          "OpenMutexA",
                                          "OpenProcessToken",
                                          "PostMessageA",
                                          "QT_Thunk",
                                          "RegisterHotKey",
                                          "SetTimer",
                                          "SetWindowsHookExA",
                                          "Shell_NotifyIconA",
                                          "TrackPopupMenu",
                                          "WritePrivateProfileStringA",
                                          "mciGetErrorStringA",
                                          "mciSendCommandA"};

}  // namespace

bool Machine::CanFail(std::string_view function) {
  return std::find(std::begin(kFailable), std::end(kFailable), function) != std::end(kFailable);
}

std::vector<std::string> Machine::FailableFunctions() {
  return {std::begin(kFailable), std::end(kFailable)};
}

void Machine::FailNext(std::string function, DWORD error, int skip) {
  if (!CanFail(function)) {
    throw std::invalid_argument("emu: " + function + " cannot be made to fail on this machine");
  }
  std::lock_guard lock(impl_->mu);
  impl_->failures.emplace(std::move(function), Impl::Failure{error, skip});
}

std::optional<DWORD> Machine::TakeFailure(std::string_view function) {
  if (!CanFail(function)) {
    // A function that consults a name the list lacks: no failure could ever be set for it.
    std::fprintf(stderr, "emu: %.*s consults a failure it cannot be given\n",
                 static_cast<int>(function.size()), function.data());
    std::abort();
  }
  std::lock_guard lock(impl_->mu);
  auto it = impl_->failures.find(function);
  if (it == impl_->failures.end()) return std::nullopt;
  if (it->second.skip > 0) {
    --it->second.skip;
    return std::nullopt;
  }
  DWORD error = it->second.error;
  impl_->failures.erase(it);
  return error;
}

uint64_t Machine::Now() const {
  std::lock_guard lock(impl_->mu);
  return impl_->NowLocked();
}

void Machine::Settle() {
  std::unique_lock lock(impl_->mu);
  auto limit = std::chrono::steady_clock::now() + kSettleLimit;
  while (impl_->active > 0) {
    if (impl_->changed.wait_until(lock, limit) == std::cv_status::timeout && impl_->active > 0) {
      throw std::runtime_error("emu: a program did not come to rest (busy or deadlocked)");
    }
  }
}

void Machine::Advance(uint64_t ms) {
  if (!impl_->manualClock) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  Settle();
  std::unique_lock lock(impl_->mu);
  const uint64_t target = impl_->manualNow + ms;
  for (;;) {
    // The next moment strictly ahead at which something falls due, among the programs' timers and
    // the alarms; what is due already was handled when the programs settled.
    std::optional<uint64_t> next;
    for (const auto& timer : impl_->timers) {
      auto* t = impl_->ThreadLocked(timer.threadId);
      if (t && t->emulated && timer.due > impl_->manualNow && (!next || timer.due < *next)) {
        next = timer.due;
      }
    }
    for (const auto& [id, t] : impl_->threads) {
      if (t->emulated && t->sleepUntil && *t->sleepUntil > impl_->manualNow &&
          (!next || *t->sleepUntil < *next)) {
        next = *t->sleepUntil;
      }
    }
    for (auto* alarm : impl_->alarms) {
      auto due = alarm->Due();
      if (due && *due > impl_->manualNow && (!next || *due < *next)) next = *due;
    }
    bool last = !next || *next > target;
    impl_->manualNow = last ? target : *next;
    impl_->RunDueAlarms(lock);
    impl_->WakeAllLocked();
    lock.unlock();
    Settle();
    lock.lock();
    if (last) break;
  }
}

void Machine::AddAlarm(Alarm* alarm) {
  std::lock_guard lock(impl_->mu);
  impl_->alarms.push_back(alarm);
}

void Machine::RemoveAlarm(Alarm* alarm) {
  std::lock_guard lock(impl_->mu);
  std::erase(impl_->alarms, alarm);
}

std::vector<BoxInfo> Machine::OpenBoxes() const {
  std::lock_guard lock(impl_->mu);
  std::vector<BoxInfo> out;
  for (const auto& box : impl_->boxes) {
    if (box->answer != 0) continue;
    out.push_back(box->info);
    out.back().buttons = impl_->BoxButtonsLocked(box->info.window);
  }
  return out;
}

std::vector<BoxInfo> Machine::BoxLog() const {
  std::lock_guard lock(impl_->mu);
  return impl_->boxLog;
}

bool Machine::AnswerBox(int button) {
  {
    std::lock_guard lock(impl_->mu);
    OpenBox* box = nullptr;
    for (auto it = impl_->boxes.rbegin(); it != impl_->boxes.rend(); ++it) {
      if ((*it)->answer == 0) {
        box = it->get();
        break;
      }
    }
    if (!box) return false;
    bool valid = false;
    for (const BoxButton& b : impl_->BoxButtonsLocked(box->info.window)) valid |= b.id == button;
    if (!valid) return false;
    box->answer = button;
    if (auto* t = impl_->ThreadLocked(box->threadId)) impl_->WakeLocked(*t);
  }
  Settle();
  return true;
}

void Machine::SetBoxAnswerer(std::function<int(const BoxInfo&)> answerer) {
  std::lock_guard lock(impl_->mu);
  impl_->boxAnswerer = std::move(answerer);
}

std::vector<WindowInfo> Machine::Windows() const {
  std::lock_guard lock(impl_->mu);
  std::vector<WindowInfo> out;
  for (const auto& [h, w] : impl_->windows) {
    out.push_back(WindowInfo{h, w.className, w.text, w.style, w.exStyle, w.parent, w.rect,
                             w.visible, w.minimized, w.threadId, w.z});
  }
  return out;
}

std::optional<WindowInfo> Machine::Window(HWND window) const {
  std::lock_guard lock(impl_->mu);
  auto it = impl_->windows.find(window);
  if (it == impl_->windows.end()) return std::nullopt;
  const auto& w = it->second;
  return WindowInfo{w.handle, w.className, w.text,      w.style,    w.exStyle, w.parent,
                    w.rect,   w.visible,   w.minimized, w.threadId, w.z};
}

}  // namespace emu
