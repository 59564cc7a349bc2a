// The machine's MCI state (devices, trace). Part of Machine::Impl.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/cdaudio/device.h"
#include "platform/emu/mci_control.h"

namespace emu {

struct MciState {
  struct OpenDevice {
    int pid = 0;
    char drive = 0;
    bool shareable = false;
    std::unique_ptr<cdaudio::Device> device;
  };
  // A completion the CD core reported; posted once the machine's lock is released, so that a
  // notification is never delivered inside the command that caused it.
  struct Completion {
    uintptr_t callback = 0;
    uint32_t outcome = 0;
    uint32_t device = 0;
  };

  std::map<UINT, OpenDevice> devices;
  // IDs are not reused while the machine runs: a completion of a closed device never names a
  // newer one.
  UINT nextId = 1;
  std::vector<MciCall> trace;
  std::vector<Completion> outbox;
  // Media identities that a test imposes on a drive's discs, in place of the one the disc gives.
  std::map<char, std::string> identityOverride;
  // Whether a play that reaches its end reports MCI_NOTIFY_SUCCESSFUL, when set by
  // SetNotifyAtEnd; otherwise the platform's driver decides (EndNotifiedLocked).
  std::optional<bool> notifyAtEnd;
  // Steps a manual clock to the end of every running play (made by the winmm part).
  std::unique_ptr<Alarm> playEnd;
};

}  // namespace emu
