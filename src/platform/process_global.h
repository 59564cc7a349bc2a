// Program-wide variables. Every process of a Windows program has its own copy of a global
// variable; on the emulated machine the copies of a program share one Linux process, so the
// machine keeps one per emulated process. Program code declares such variables with these
// templates instead of plain globals.
#pragma once

#ifndef _WIN32
#include "platform/emu/process_data.h"
#endif

template <class T>
class ProcessGlobal {
 public:
  T& operator*() const {
#ifdef _WIN32
    return value_;
#else
    return *static_cast<T*>(emu::ProcessData(
        this, []() -> void* { return new T(); }, [](void* data) { delete static_cast<T*>(data); }));
#endif
  }
  T* operator->() const {
    return &**this;
  }
#ifndef _WIN32
  // The running programs' copies, oldest first (tests and the console, on a settled machine).
  std::vector<T*> OfRunningPrograms() const {
    std::vector<T*> copies;
    for (void* data : emu::RunningProcessData(this)) copies.push_back(static_cast<T*>(data));
    return copies;
  }
#endif

 private:
#ifdef _WIN32
  mutable T value_{};
#endif
};

// A program-wide pointer, used as the plain pointer it stands for.
template <class T>
class ProcessPointer {
 public:
  T* get() const { return *slot_; }
  T* operator->() const { return get(); }
  explicit operator bool() const { return get() != nullptr; }
  ProcessPointer& operator=(T* value) {
    *slot_ = value;
    return *this;
  }
#ifndef _WIN32
  // The oldest running program's pointer that is set (tests and the console, on a settled
  // machine); null when none is.
  T* InRunningProgram() const {
    for (T** copy : slot_.OfRunningPrograms()) {
      if (*copy) return *copy;
    }
    return nullptr;
  }
#endif

 private:
  ProcessGlobal<T*> slot_;
};
