// Random sequences of hardware events and MCI commands on one CD drive with up to three opens, on
// a manual clock. Invariants:
//  - every notification names a request that was made, on the open that made it, and comes once;
//  - a command that fails posts nothing for its own request;
//  - a play that started with a request gets its answer by the time every open has closed;
//  - the head stays on the disc (lead-out at most), moves only forward while a play runs, and the
//    mode is one MCI knows;
//  - positions answered in milliseconds, MSF and TMSF agree with the head.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "platform/cdaudio/constants.h"
#include "platform/cdaudio/device.h"
#include "platform/cdaudio/disc.h"
#include "platform/cdaudio/drive.h"

namespace {

using namespace cdaudio;

void Check(bool ok) {
  if (!ok) std::abort();
}

struct Run {
  uint64_t now = 0;
  Drive drive{[this] { return now; }};
  std::unique_ptr<Device> devices[3];
  uintptr_t next_callback = 1;
  std::map<uintptr_t, uint32_t> requested;  // callback -> device id
  std::set<uintptr_t> answered;
  std::set<uintptr_t> owed;  // plays that started with a request

  NotifySink Sink() {
    return [this](uintptr_t callback, uint32_t outcome, uint32_t device) {
      auto it = requested.find(callback);
      Check(it != requested.end() && it->second == device);
      Check(answered.insert(callback).second);
      Check(outcome == kNotifySuccessful || outcome == kNotifySuperseded ||
            outcome == kNotifyAborted || outcome == kNotifyFailure);
      owed.erase(callback);
    };
  }
};

Disc MakeDisc(FuzzedDataProvider& in) {
  Disc disc;
  disc.blank = in.ConsumeIntegralInRange(0, 15) == 0;
  const int tracks = in.ConsumeIntegralInRange(1, 6);
  for (int i = 0; i < tracks; ++i) {
    disc.tracks.push_back({in.ConsumeIntegralInRange(0, 7) != 0,
                           in.ConsumeIntegralInRange<uint32_t>(1, 8 * kFramesPerMinute)});
  }
  return disc;
}

void CheckHead(const Drive& drive, std::optional<uint32_t> before_play) {
  const uint32_t mode = drive.Mode();
  Check(mode == kModeOpen || mode == kModeNotReady || mode == kModeStop || mode == kModePlay ||
        mode == kModePause);
  if (const Toc* toc = drive.ReadableToc()) {
    Check(drive.Position() <= toc->LeadOut());
    if (before_play) Check(drive.Position() >= *before_play);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  Run run;
  for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
    const int slot = in.ConsumeIntegralInRange(0, 2);
    std::unique_ptr<Device>& device = run.devices[slot];
    const uint32_t id = static_cast<uint32_t>(slot + 1);
    Notify notify;
    if (in.ConsumeBool()) {
      notify = run.next_callback++;
      run.requested[*notify] = id;
    }
    auto optional_position = [&in]() -> std::optional<uint32_t> {
      if (!in.ConsumeBool()) return std::nullopt;
      return in.ConsumeIntegral<uint32_t>();
    };
    uint32_t error = 0;
    bool play = false;
    const int op = in.ConsumeIntegralInRange(0, 14);
    switch (op) {
      case 0:
        run.drive.Insert(MakeDisc(in));
        break;
      case 1:
        run.drive.Eject();
        break;
      case 2:
        in.ConsumeBool() ? run.drive.OpenDoor() : run.drive.CloseDoor();
        break;
      case 3: {
        // Only the clock moves: the head must not go back while a play runs.
        const bool playing = run.drive.Mode() == kModePlay;
        const uint32_t before = run.drive.Position();
        run.now += in.ConsumeIntegralInRange<uint64_t>(0, 20 * 60 * 1000);
        if (auto due = run.drive.NextEventMs(); due && *due <= run.now) run.drive.Poll();
        CheckHead(run.drive, playing ? std::optional<uint32_t>(before) : std::nullopt);
        break;
      }
      case 4:
        if (device) {
          error = device->Close(notify);
          device.reset();
        } else {
          OpenOptions options{in.ConsumeBool(), in.ConsumeBool()};
          options.notify_at_end = in.ConsumeBool();
          Device::Opened opened = Device::Open(run.drive, id, options, run.Sink(), notify);
          error = opened.error;
          device = std::move(opened.device);
        }
        break;
      default: {
        if (!device) {
          error = 1;  // nothing asked: no answer may come for this request
          break;
        }
        switch (op) {
          case 5:
            play = true;
            error = device->Play(optional_position(), optional_position(), notify);
            break;
          case 6:
            error = device->Seek(in.ConsumeBool(), in.ConsumeBool(), optional_position(), notify);
            break;
          case 7:
            error = device->Stop(notify);
            break;
          case 8:
            error = device->Pause(notify);
            break;
          case 9:
            play = true;
            error = device->Resume(notify);
            break;
          case 10: {
            SetRequest request;
            if (in.ConsumeBool()) {
              request.time_format =
                  in.PickValueInArray<uint32_t>({kFormatMilliseconds, kFormatMsf, kFormatTmsf, 3u});
            }
            request.door_open = in.ConsumeBool();
            request.door_closed = in.ConsumeBool();
            error = device->Set(request, notify);
            break;
          }
          case 11: {
            StatusQuery query;
            if (in.ConsumeBool()) query.item = in.ConsumeIntegralInRange<uint32_t>(0, 12);
            if (in.ConsumeBool()) query.track = in.ConsumeIntegralInRange<uint32_t>(0, 8);
            error = device->Status(query, notify).error;
            break;
          }
          case 12:
            error = device->GetDevCaps(in.ConsumeIntegralInRange<uint32_t>(0, 12), notify).error;
            break;
          case 13:
            error = device
                        ->Info(in.ConsumeIntegralInRange<uint32_t>(0, 0x900),
                               in.ConsumeIntegralInRange<size_t>(0, 64), notify)
                        .error;
            break;
          default: {
            // The head as the three time formats tell it.
            const uint32_t head = run.drive.Position();
            const Toc* toc = run.drive.ReadableToc();
            const Answer answer = device->Status({kStatusPosition, std::nullopt});
            if (!toc || answer.error != 0) break;
            const uint32_t format = device->TimeFormat();
            const uint32_t v = answer.value;
            if (format == kFormatMsf) {
              Check((v & 0xFF) * kFramesPerMinute + (v >> 8 & 0xFF) * kFramesPerSecond +
                        (v >> 16 & 0xFF) ==
                    head);
            } else if (format == kFormatTmsf) {
              const int track = static_cast<int>(v & 0xFF);
              Check(track == toc->TrackAt(head));
            } else if (format == kFormatMilliseconds) {
              const int64_t frames = int64_t{v} * kFramesPerSecond / 1000;
              Check(frames - int64_t{head} <= 1 && int64_t{head} - frames <= 1);
            }
          }
        }
      }
    }
    if (notify && error != 0) Check(!run.answered.count(*notify));
    if (notify && error == 0 && play && !run.answered.count(*notify)) run.owed.insert(*notify);
    CheckHead(run.drive, std::nullopt);
  }
  for (auto& device : run.devices) {
    if (device) device->Close();
    device.reset();
  }
  Check(run.owed.empty());
  return 0;
}
