// Emulated processes and threads, and the kernel objects they hold (named mutexes, thread handles).
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "platform/emu/machine_impl.h"
#include "platform/emu/process_data.h"

namespace emu {
namespace {

// Starting a copy and its first settling is bounded so a hung start fails a test instead of hanging
// it.

uint64_t Fnv1a(std::string_view text) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

// A named mutex is system-wide on Windows. Here its name is an abstract Unix socket, bound while a
// handle is open and released by the kernel when the Linux process ends, so single instance holds
// across real processes that share a machine folder, and never outlives its holder.
sockaddr_un AbstractAddress(const std::string& systemName, socklen_t& length) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  size_t n = std::min(systemName.size(), sizeof(addr.sun_path) - 1);
  std::memcpy(addr.sun_path + 1, systemName.data(), n);
  length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
  return addr;
}

bool SystemNameExists(const std::string& systemName) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  socklen_t length = 0;
  auto addr = AbstractAddress(systemName, length);
  int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), length);
  int err = errno;
  ::close(fd);
  // A full backlog still proves a holder is listening.
  return rc == 0 || err == EAGAIN || err == EINPROGRESS;
}

// Binds the name; -1 when another Linux process holds it.
int BindSystemName(const std::string& systemName) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  socklen_t length = 0;
  auto addr = AbstractAddress(systemName, length);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0 || ::listen(fd, 4) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::string Machine::Impl::MutexSystemName(const std::string& name) const {
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "orvantabrevo/%016llx/",
                static_cast<unsigned long long>(Fnv1a(machine.Root().string())));
  std::string full = prefix + name;
  if (full.size() > 100) {
    std::snprintf(prefix + std::strlen(prefix), 20, "%016llx",
                  static_cast<unsigned long long>(Fnv1a(name)));
    full = prefix;
  }
  return full;
}

void Machine::Impl::CloseHandleLocked(ProcessRec& process, HANDLE handle) {
  auto it = process.handles.find(handle);
  if (it == process.handles.end()) return;
  if (it->second.kind == HandleRec::Kind::Token) exit.trace.push_back("CloseHandle token");
  ReleaseHandleLocked(process, handle);
}

void Machine::Impl::ReleaseHandleLocked(ProcessRec& process, HANDLE handle) {
  auto it = process.handles.find(handle);
  if (it == process.handles.end()) return;
  if (it->second.kind == HandleRec::Kind::Mutex) {
    auto m = mutexes.find(it->second.name);
    if (m != mutexes.end() && --m->second.refs == 0) {
      if (m->second.fd >= 0) ::close(m->second.fd);
      mutexes.erase(m);
    }
  }
  process.handles.erase(it);
}

void DestroyProcessData(std::map<const void*, ProcessDataRec> data) {
  for (auto& [key, rec] : data) rec.destroy(rec.data);
}

void* ProcessData(const void* key, MakeData make, DestroyData destroy) {
  Machine* machine = Machine::CurrentOrNull();
  if (!machine) {
    static std::mutex mu;
    static std::map<const void*, void*> outside;
    std::lock_guard lock(mu);
    void*& data = outside[key];
    if (!data) data = make();
    return data;
  }
  auto& impl = machine->impl();
  {
    std::lock_guard lock(impl.mu);
    auto& data = impl.CurrentProcessLocked()->data;
    if (auto it = data.find(key); it != data.end()) return it->second.data;
  }
  // Made without the lock, as a constructor may call the machine; only this process's threads
  // reach its data, and a program makes its globals on one thread.
  void* made = make();
  std::lock_guard lock(impl.mu);
  auto [it, added] = impl.CurrentProcessLocked()->data.emplace(key, ProcessDataRec{made, destroy});
  if (!added) destroy(made);
  return it->second.data;
}

std::vector<void*> RunningProcessData(const void* key) {
  std::vector<void*> copies;
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  for (const auto& [pid, process] : impl.processes) {
    if (!process->running || pid == 0) continue;
    if (auto it = process->data.find(key); it != process->data.end()) {
      copies.push_back(it->second.data);
    }
  }
  return copies;
}

void Machine::Impl::EndProcessLocked(ProcessRec& process, int exitCode) {
  process.running = false;
  process.exitCode = exitCode;
  // Windows closes what the program left open; the machine does too, but tells it apart from a
  // close of the program's own, so a leak is seen. Handles are numbered upwards: oldest first.
  for (const auto& [handle, rec] : process.handles) {
    const std::string what = rec.kind == HandleRec::Kind::Token   ? std::string("token")
                             : rec.kind == HandleRec::Kind::Mutex ? "mutex " + rec.name
                                                                  : std::string("thread");
    process.leftOpen.push_back(what);
    exit.trace.push_back("left open at exit: " + what);
  }
  while (!process.handles.empty()) ReleaseHandleLocked(process, process.handles.begin()->first);
  std::set<DWORD> ids;
  for (auto& [id, t] : threads) {
    if (t->pid == process.id) ids.insert(id);
  }
  std::erase_if(windows, [&](const auto& w) { return ids.count(w.second.threadId) != 0; });
  std::erase_if(exit.hooks, [&](const auto& h) { return ids.count(h.second.threadId) != 0; });
  std::erase_if(timers, [&](const TimerRec& t) { return ids.count(t.threadId) != 0; });
  std::erase_if(hotKeys.keys, [&](const HotKeyRec& k) { return ids.count(k.threadId) != 0; });
  std::erase_if(boxes, [&](const auto& b) { return ids.count(b->threadId) != 0; });
  // The main thread ends here; workers still waiting are woken and find their process gone.
  if (auto* main = ThreadLocked(process.mainThread)) {
    if (main->emulated && !main->blocked) --active;
    threads.erase(process.mainThread);
  }
  for (DWORD id : ids) {
    if (auto* t = ThreadLocked(id)) WakeLocked(*t);
  }
  changed.notify_all();
}

int Machine::StartProcess(std::function<int()> entry) {
  int pid = 0;
  {
    std::lock_guard lock(impl_->mu);
    auto process = std::make_unique<ProcessRec>();
    pid = impl_->nextPid++;
    process->id = pid;
    auto thread = std::make_unique<ThreadRec>();
    thread->id = impl_->nextThreadId++;
    thread->pid = pid;
    thread->emulated = true;
    process->mainThread = thread->id;
    ++impl_->active;
    Impl* impl = impl_.get();
    DWORD tid = thread->id;
    impl_->threads[tid] = std::move(thread);
    process->thread = std::thread([impl, tid, pid, entry = std::move(entry)] {
      BindCurrentThread(impl, tid);
      // A C++ exception leaving a Windows program's entry ends it abnormally; here it is a test
      // failure that must not pass unseen.
      int code = entry();
      std::map<const void*, ProcessDataRec> data;
      {
        std::lock_guard lock(impl->mu);
        data = std::move(impl->processes.at(pid)->data);
      }
      DestroyProcessData(std::move(data));
      std::lock_guard lock(impl->mu);
      impl->EndProcessLocked(*impl->processes.at(pid), code);
    });
    impl_->processes[pid] = std::move(process);
  }
  Settle();
  return pid;
}

void Machine::RunInProcess(int pid, std::function<void()> action) {
  Settle();
  {
    std::lock_guard lock(impl_->mu);
    auto it = impl_->processes.find(pid);
    if (it == impl_->processes.end() || !it->second->running) {
      throw std::invalid_argument("no such running process");
    }
    auto* thread = impl_->ThreadLocked(it->second->mainThread);
    if (!thread) throw std::invalid_argument("the process has no main thread");
    auto* heap = new std::function<void()>(std::move(action));
    thread->posted.push_back(MSG{nullptr,
                                 kRunActionMessage,
                                 0,
                                 reinterpret_cast<LPARAM>(heap),
                                 static_cast<DWORD>(impl_->NowLocked()),
                                 {}});
    impl_->WakeLocked(*thread);
  }
  Settle();
}

ProcessInfo Machine::Process(int id) const {
  std::lock_guard lock(impl_->mu);
  auto it = impl_->processes.find(id);
  if (it == impl_->processes.end()) throw std::out_of_range("no such process");
  return ProcessInfo{id, it->second->running, it->second->exitCode, it->second->leftOpen};
}

std::vector<ProcessInfo> Machine::Processes() const {
  std::lock_guard lock(impl_->mu);
  std::vector<ProcessInfo> out;
  for (const auto& [id, p] : impl_->processes) {
    if (id != 0) out.push_back(ProcessInfo{id, p->running, p->exitCode, p->leftOpen});
  }
  return out;
}

namespace {

// Ends the programs `ids` from outside, as TerminateProcess would.
void TerminateLocked(Machine::Impl& impl, std::unique_lock<std::mutex>& lock,
                     const std::vector<int>& ids) {
  auto threadsOf = [&](int pid) {
    std::vector<ThreadRec*> found;
    for (auto& [tid, t] : impl.threads) {
      if (t->pid == pid) found.push_back(t.get());
    }
    return found;
  };
  for (int pid : ids) {
    for (ThreadRec* t : threadsOf(pid)) {
      t->terminated = true;
      impl.WakeLocked(*t);
    }
  }
  // A thread stops at its next wait; one that never waits again (a loop that calls nothing)
  // cannot be stopped from here, and the console's whole process has to go with it.
  const bool parked = impl.changed.wait_for(lock, std::chrono::seconds(5), [&] {
    for (int pid : ids) {
      for (ThreadRec* t : threadsOf(pid)) {
        if (!t->parked) return false;
      }
    }
    return true;
  });
  if (!parked) {
    std::fputs("emu: a program did not end when asked to and could not be stopped\n", stderr);
    std::fflush(nullptr);
    std::_Exit(3);
  }
  for (int pid : ids) {
    ProcessRec& process = *impl.processes.at(pid);
    std::fprintf(stderr, "emu: process %d did not end when asked to; it was ended\n", pid);
    // Its threads are stopped for good and keep nothing the machine frees; its globals are left
    // as they are, as TerminateProcess runs no code of the program.
    if (process.thread.joinable()) process.thread.detach();
    for (auto& w : process.workers) {
      if (w.joinable()) w.detach();
    }
    process.workers.clear();
    for (ThreadRec* t : threadsOf(pid)) {
      if (t->id != process.mainThread) impl.threads.erase(t->id);
    }
    impl.EndProcessLocked(process, Machine::kTerminatedExitCode);
    process.data.clear();
  }
}

}  // namespace

std::vector<int> Machine::EndAllProcesses() {
  std::unique_lock lock(impl_->mu);
  for (auto& [id, p] : impl_->processes) {
    if (id == 0 || !p->running) continue;
    for (auto& [tid, t] : impl_->threads) {
      if (t->pid == id) {
        t->quit = true;
        impl_->WakeLocked(*t);
      }
    }
  }
  auto running = [&] {
    std::vector<int> ids;
    for (auto& [id, p] : impl_->processes) {
      if (id != 0 && p->running) ids.push_back(id);
    }
    return ids;
  };
  impl_->changed.wait_until(
      lock, std::chrono::steady_clock::now() + std::chrono::milliseconds(impl_->endLimitMs),
      [&] { return running().empty(); });
  const std::vector<int> stuck = running();
  if (!stuck.empty()) TerminateLocked(*impl_, lock, stuck);
  std::vector<std::thread> joinable;
  for (auto& [id, p] : impl_->processes) {
    if (p->thread.joinable()) joinable.push_back(std::move(p->thread));
    for (auto& w : p->workers) {
      if (w.joinable()) joinable.push_back(std::move(w));
    }
    p->workers.clear();
  }
  lock.unlock();
  for (auto& t : joinable) t.join();
  return stuck;
}

}  // namespace emu

// ---------------------------------------------------------------------------------------------------
// kernel32: handles, mutexes, threads

using emu::HandleRec;
using emu::Impl;

DWORD GetCurrentThreadId() {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  return impl.CurrentThreadLocked().id;
}

BOOL CloseHandle(HANDLE handle) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* process = impl.CurrentProcessLocked();
  if (!process || !process->handles.count(handle)) {
    // Windows reports this as an invalid handle.
    impl.CurrentThreadLocked();
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  impl.CloseHandleLocked(*process, handle);
  return TRUE;
}

HANDLE OpenMutexA(DWORD /*desiredAccess*/, BOOL /*inheritHandle*/, LPCSTR name) {
  auto& impl = Impl();
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (auto error = impl.machine.TakeFailure("OpenMutexA")) {
    SetLastError(*error ? *error : ERROR_ACCESS_DENIED);
    return nullptr;
  }
  std::lock_guard lock(impl.mu);
  auto* process = impl.CurrentProcessLocked();
  auto it = impl.mutexes.find(name);
  if (it != impl.mutexes.end() || emu::SystemNameExists(impl.MutexSystemName(name))) {
    auto& object = impl.mutexes[name];
    ++object.refs;
    return impl.NewHandleLocked(*process, HandleRec{HandleRec::Kind::Mutex, name, 0});
  }
  impl.CurrentThreadLocked();
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES /*attributes*/, BOOL /*initialOwner*/, LPCSTR name) {
  auto& impl = Impl();
  if (auto error = impl.machine.TakeFailure("CreateMutexA")) {
    SetLastError(*error ? *error : ERROR_ACCESS_DENIED);
    return nullptr;
  }
  std::lock_guard lock(impl.mu);
  auto* process = impl.CurrentProcessLocked();
  if (!name) {
    return impl.NewHandleLocked(*process, HandleRec{HandleRec::Kind::Mutex, "", 0});
  }
  auto it = impl.mutexes.find(name);
  DWORD error = ERROR_SUCCESS;
  if (it != impl.mutexes.end()) {
    ++it->second.refs;
    error = ERROR_ALREADY_EXISTS;
  } else {
    int fd = emu::BindSystemName(impl.MutexSystemName(name));
    // Bound elsewhere: another Linux process on this machine folder holds the mutex.
    if (fd < 0) error = ERROR_ALREADY_EXISTS;
    impl.mutexes[name] = emu::MutexObject{1, fd};
  }
  HANDLE handle = impl.NewHandleLocked(*process, HandleRec{HandleRec::Kind::Mutex, name, 0});
  SetLastError(error);
  return handle;
}

BOOL ReleaseMutex(HANDLE handle) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* process = impl.CurrentProcessLocked();
  auto it = process->handles.find(handle);
  if (it == process->handles.end() || it->second.kind != HandleRec::Kind::Mutex) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // Nobody here ever waits on (owns) a mutex, so releasing one is always the not-owner error.
  constexpr DWORD kErrorNotOwner = 288;
  SetLastError(kErrorNotOwner);
  return FALSE;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES /*attributes*/, size_t /*stackSize*/,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD /*creationFlags*/,
                    LPDWORD threadId) {
  auto& impl = Impl();
  if (auto error = impl.machine.TakeFailure("CreateThread")) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::lock_guard lock(impl.mu);
  auto* process = impl.CurrentProcessLocked();
  auto thread = std::make_unique<emu::ThreadRec>();
  DWORD tid = thread->id = impl.nextThreadId++;
  thread->pid = process->id;
  thread->emulated = true;
  ++impl.active;
  impl.threads[tid] = std::move(thread);
  emu::Machine::Impl* ip = &impl;
  process->workers.emplace_back([ip, tid, start, parameter] {
    emu::BindCurrentThread(ip, tid);
    start(parameter);
    std::lock_guard lock(ip->mu);
    if (auto* t = ip->ThreadLocked(tid)) {
      if (!t->blocked) --ip->active;
      ip->threads.erase(tid);
    }
    std::erase_if(ip->timers, [&](const emu::TimerRec& t) { return t.threadId == tid; });
    // Anyone waiting for this thread to end.
    ip->WakeAllLocked();
    ip->changed.notify_all();
  });
  if (threadId) *threadId = tid;
  return impl.NewHandleLocked(*process, HandleRec{HandleRec::Kind::Thread, "", tid});
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  auto& impl = Impl();
  std::unique_lock lock(impl.mu);
  auto* process = impl.CurrentProcessLocked();
  auto it = process->handles.find(handle);
  if (it == process->handles.end() || it->second.kind != HandleRec::Kind::Thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  DWORD tid = it->second.threadId;
  auto ended = [&] { return impl.ThreadLocked(tid) == nullptr; };
  if (ended()) return WAIT_OBJECT_0;
  if (milliseconds == 0) return WAIT_TIMEOUT;
  if (milliseconds != INFINITE) {
    // Only the two forms the program uses are supported: poll and wait for the end.
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  auto& self = impl.CurrentThreadLocked();
  impl.BlockLocked(lock, self, ended);
  return WAIT_OBJECT_0;
}
