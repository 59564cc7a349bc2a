// advapi32: the process token and its shutdown privilege (Windows NT; Windows 9x has no security
// and its advapi32 answers these calls with ERROR_CALL_NOT_IMPLEMENTED).
#include <strings.h>

#include "platform/emu/exit_internal.h"

namespace {

using emu::HandleRec;

// The locally unique identifier Windows gives SeShutdownPrivilege.
constexpr DWORD kShutdownLuid = 19;

// Refuses the call on Windows 9x and takes a pending failure; false when the call must fail.
bool Available(emu::Machine::Impl& impl, const char* function, DWORD failError) {
  if (impl.platform != emu::Platform::NT) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  if (auto error = impl.machine.TakeFailure(function)) {
    SetLastError(*error ? *error : failError);
    return false;
  }
  return true;
}

}  // namespace

BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE tokenHandle) {
  auto& impl = emu::Impl();
  emu::TraceExitCall(impl, "OpenProcessToken " + emu::Hex(desiredAccess));
  if (!Available(impl, "OpenProcessToken", ERROR_ACCESS_DENIED)) return emu::TraceFailed(impl);
  std::lock_guard lock(impl.mu);
  auto* self = impl.CurrentProcessLocked();
  // Only the calling process's own token is reachable here (the pseudo handle).
  if (!self || process != GetCurrentProcess() || !tokenHandle) {
    SetLastError(ERROR_INVALID_HANDLE);
    return emu::TraceFailedLocked(impl);
  }
  HandleRec token;
  token.kind = HandleRec::Kind::Token;
  token.access = desiredAccess;
  *tokenHandle = impl.NewHandleLocked(*self, token);
  return TRUE;
}

BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid) {
  auto& impl = emu::Impl();
  emu::TraceExitCall(impl, std::string("LookupPrivilegeValueA ") + (name ? name : "(null)"));
  if (!Available(impl, "LookupPrivilegeValueA", ERROR_NO_SUCH_PRIVILEGE)) {
    return emu::TraceFailed(impl);
  }
  if (systemName && *systemName) {
    // No other computer is on this machine's network.
    SetLastError(ERROR_INVALID_PARAMETER);
    return emu::TraceFailed(impl);
  }
  if (!name || !luid || ::strcasecmp(name, SE_SHUTDOWN_NAME) != 0) {
    SetLastError(ERROR_NO_SUCH_PRIVILEGE);
    return emu::TraceFailed(impl);
  }
  *luid = LUID{kShutdownLuid, 0};
  return TRUE;
}

BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAllPrivileges, PTOKEN_PRIVILEGES newState,
                           DWORD bufferLength, PTOKEN_PRIVILEGES previousState,
                           LPDWORD returnLength) {
  auto& impl = emu::Impl();
  std::string call = "AdjustTokenPrivileges";
  if (disableAllPrivileges) {
    call += " disable-all";
  } else if (newState) {
    for (DWORD i = 0; i < newState->PrivilegeCount; ++i) {
      const auto& p = newState->Privileges[i];
      call += ' ';
      call += std::to_string(p.Luid.LowPart);
      call += (p.Attributes & SE_PRIVILEGE_ENABLED) ? " enable" : " disable";
    }
  }
  emu::TraceExitCall(impl, call);
  if (!Available(impl, "AdjustTokenPrivileges", ERROR_ACCESS_DENIED)) {
    return emu::TraceFailed(impl);
  }
  std::lock_guard lock(impl.mu);
  auto* self = impl.CurrentProcessLocked();
  const HandleRec* rec = nullptr;
  if (self) {
    auto it = self->handles.find(token);
    if (it != self->handles.end() && it->second.kind == HandleRec::Kind::Token) rec = &it->second;
  }
  if (!rec) {
    SetLastError(ERROR_INVALID_HANDLE);
    return emu::TraceFailedLocked(impl);
  }
  if (!(rec->access & TOKEN_ADJUST_PRIVILEGES)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return emu::TraceFailedLocked(impl);
  }
  // A previous-state buffer that is given must hold the old state; none is kept here.
  if (previousState || (!disableAllPrivileges && !newState)) {
    (void)bufferLength;
    (void)returnLength;
    SetLastError(ERROR_INVALID_PARAMETER);
    return emu::TraceFailedLocked(impl);
  }
  if (disableAllPrivileges) {
    self->shutdownPrivilege = false;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  // Windows succeeds even when the token lacks some of the privileges; it says so in the last
  // error only.
  DWORD lastError = ERROR_SUCCESS;
  for (DWORD i = 0; i < newState->PrivilegeCount; ++i) {
    const auto& p = newState->Privileges[i];
    if (p.Luid.LowPart == kShutdownLuid && p.Luid.HighPart == 0) {
      self->shutdownPrivilege = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    } else {
      lastError = ERROR_NOT_ALL_ASSIGNED;
    }
  }
  SetLastError(lastError);
  return TRUE;
}
