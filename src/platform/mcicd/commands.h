// The translation between MCI command records and the CD-audio core, one piece for its two hosts:
// the emulated winmm, which gets the records as a program hands them to mciSendCommandA, and the
// Windows driver DLL, which gets them as winmm hands them to a driver. Opening and closing a
// device are the hosts' own (they hand out device IDs and deliver completions differently); every
// other command goes through RunCommand.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/cdaudio/device.h"
#include "platform/win32.h"

namespace mcicd {

enum class Host {
  // mciSendCommandA's caller: ANSI texts, sizes in bytes; a resource-style answer's value alone
  // in dwReturn, as winmm hands it out.
  kWinmm,
  // A driver under winmm: wide texts (MCI_INFO_PARMSW, sizes in characters); answers packed
  // with MAKEMCIRESOURCE and their kind in the result's high word (MCI_RESOURCE_RETURNED,
  // MCI_COLONIZED3_RETURN ...), from which winmm keeps the low word for the caller.
  kDriver,
};

struct Options {
  Host host = Host::kWinmm;
  // The media identity MCI_INFO reports instead of the disc's own (the emulation's control).
  std::optional<std::string> imposed_identity;
};

// What a command handed back, for the host's trace.
struct Returned {
  std::optional<uint64_t> value;
  std::string text;
};

// The callback of an MCI_NOTIFY request; none without the flag.
cdaudio::Notify NotifyOf(DWORD flags, DWORD_PTR parms);
// Whether the command reads or writes its record with these flags; without a record such a
// command fails with MCIERR_NULL_PARAMETER_BLOCK.
bool NeedsRecord(UINT command, DWORD flags);
// "D:" (either case) names drive D; only that form opens a CD drive on every Windows ("D:\" fails
// on 9x and older NT). `Char` is char or the wide character.
template <typename Char>
std::optional<char> DriveOfElement(const Char* element);
// Runs `command` (not MCI_OPEN, MCI_CLOSE or the driver's open and close) on an open device. The
// low word of the result is the MCI error; under kDriver the high word carries the return flags.
DWORD RunCommand(cdaudio::Device& device, UINT command, DWORD flags, DWORD_PTR parms,
                 const Options& options, Returned* returned = nullptr);
// "play", "status" ... for records and traces; "0xNNNN" for a number it does not know.
std::string CommandName(UINT command);

}  // namespace mcicd
