// The answers of one open: status items, time formats, capabilities, info, refusals, sharing.
#include "fixture.h"

namespace cdaudio {
namespace {

class DeviceTest : public CdTest {};

TEST_F(DeviceTest, StatusAnswersInEachTimeFormat) {
  InsertExample();
  auto device = Open();
  // A fresh open is stopped at track 1 in MSF. Lengths are durations and stay MSF in TMSF:
  // the disc's is lead-out - start - 1, the last track's one frame short.
  const struct {
    uint32_t format;
    uint32_t item;
    std::optional<uint32_t> track;
    uint32_t value;
  } kRows[] = {
      {kFormatMsf, kStatusTimeFormat, {}, kFormatMsf},
      {kFormatMsf, kStatusMode, {}, kModeStop},
      {kFormatMsf, kStatusPosition, {}, Msf(0, 2, 0)},
      {kFormatMsf, kStatusCurrentTrack, {}, 1},
      {kFormatMsf, kStatusNumberOfTracks, {}, 3},
      {kFormatMsf, kStatusMediaPresent, {}, 1},
      {kFormatMsf, kStatusReady, {}, 1},
      {kFormatMsf, kStatusLength, {}, Msf(11, 57, 74)},
      {kFormatMsf, kStatusLength, 1, Msf(4, 30, 47)},
      {kFormatMsf, kStatusLength, 3, Msf(3, 49, 62)},
      {kFormatMsf, kStatusPosition, 2, Msf(4, 32, 47)},
      {kFormatTmsf, kStatusLength, {}, Msf(11, 57, 74)},
      {kFormatTmsf, kStatusLength, 1, Msf(4, 30, 47)},
      {kFormatTmsf, kStatusLength, 3, Msf(3, 49, 62)},
      {kFormatTmsf, kStatusPosition, 2, 2},
      {kFormatMilliseconds, kStatusLength, 1, 20297u * 1000 / 75 + 1},
      {kFormatMilliseconds, kStatusPosition, 2, 20447u * 1000 / 75 + 1},
  };
  for (const auto& row : kRows) {
    SetFormat(*device, row.format);
    EXPECT_EQ(StatusOf(*device, row.item, row.track), row.value)
        << "format " << row.format << " item " << row.item << " track " << row.track.value_or(0);
  }
  // The kinds of answer, and the strings resource-style answers name.
  EXPECT_EQ(device->Status({kStatusLength, {}}).kind, ReturnKind::kInteger);
  SetFormat(*device, kFormatTmsf);
  EXPECT_EQ(device->Status({kStatusLength, 2}).kind, ReturnKind::kMsf);
  EXPECT_EQ(device->Status({kStatusPosition, 2}).kind, ReturnKind::kTmsf);
  EXPECT_EQ(device->Status({kStatusTimeFormat, {}}).resource_id, kResourceFormatReturnBase + 10);
  EXPECT_EQ(device->Status({kStatusMode, {}}).resource_id, kModeStop);
  EXPECT_EQ(device->Status({kStatusReady, {}}).resource_id, kResourceTrue);
  // The driver's rounding makes a millisecond answer lead back to the same frame.
  SetFormat(*device, kFormatMilliseconds);
  ASSERT_EQ(device->Seek(false, false, StatusOf(*device, kStatusPosition, 2)), 0u);
  SetFormat(*device, kFormatTmsf);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(2, 0, 0, 0));

  Insert({"data:10:00", "audio:3:00"});
  const Answer data = device->Status({kStatusTypeTrack, 1});
  EXPECT_EQ(data.value, kTrackOther);
  EXPECT_EQ(data.kind, ReturnKind::kDriverResource);
  EXPECT_EQ(data.resource_id, kTrackOther);
  EXPECT_EQ(StatusOf(*device, kStatusTypeTrack, 2), kTrackAudio);
}

TEST_F(DeviceTest, PositionsOutsideTheDiscAreOutOfRangeAndNeverMoved) {
  InsertExample();
  auto device = Open();
  // The disc runs from 00:02:00 to its last frame, 11:59:74: the last track's start (08:10:12)
  // plus the length MCI gives it (03:49:62).
  const struct {
    uint32_t format;
    uint32_t position;
    uint32_t error;
  } kCases[] = {
      {kFormatMsf, Msf(0, 2, 0), 0},
      {kFormatMsf, Msf(0, 1, 74), kErrOutOfRange},  // the pregap is not moved to track 1
      {kFormatMsf, Msf(11, 59, 74), 0},
      {kFormatMsf, Msf(12, 0, 0), kErrOutOfRange},  // one frame beyond
      {kFormatMsf, Msf(1, 60, 0), kErrOutOfRange},
      {kFormatMsf, Msf(1, 0, 75), kErrOutOfRange},
      {kFormatTmsf, Tmsf(3, 3, 49, 62), 0},
      {kFormatTmsf, Tmsf(3, 3, 49, 63), kErrOutOfRange},
      {kFormatTmsf, Tmsf(4, 0, 0, 0), kErrOutOfRange},
      {kFormatTmsf, Tmsf(0, 0, 0, 0), kErrOutOfRange},
      {kFormatMilliseconds, 0, kErrOutOfRange},
      {kFormatMilliseconds, 2000, 0},
  };
  for (const auto& c : kCases) {
    SetFormat(*device, c.format);
    EXPECT_EQ(device->Seek(false, false, c.position), c.error)
        << "format " << c.format << " position " << std::hex << c.position;
    if (c.error == 0) {
      EXPECT_EQ(StatusOf(*device, kStatusPosition),
                c.format == kFormatMilliseconds ? c.position + 1 : c.position);
    } else {
      EXPECT_EQ(device->Play(c.position, {}), c.error);
    }
  }
  SetFormat(*device, kFormatMsf);
  EXPECT_EQ(device->Play(Msf(0, 2, 0), Msf(0, 1, 0)), kErrOutOfRange);
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModeStop);
}

TEST_F(DeviceTest, RefusalsNameTheirCauseAndApplyNothing) {
  InsertExample();
  auto device = Open();
  // MCI_STATUS_START answers the disc's start, for the position without a track only.
  ASSERT_EQ(device->Seek(false, false, Msf(5, 0, 0)), 0u);
  EXPECT_EQ(device->Status({kStatusPosition, std::nullopt, true}).value, Msf(0, 2, 0));
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(5, 0, 0));
  for (const StatusQuery query :
       {StatusQuery{kStatusLength, std::nullopt, true},
        StatusQuery{kStatusMode, std::nullopt, true}, StatusQuery{kStatusPosition, 2, true}}) {
    EXPECT_EQ(device->Status(query).error, kErrFlagsNotCompatible) << *query.item;
  }
  EXPECT_EQ(device->Status({std::nullopt, std::nullopt}).error, kErrMissingParameter);
  EXPECT_EQ(ErrorOf(*device, 0x99), kErrUnsupportedFunction);
  EXPECT_EQ(ErrorOf(*device, kStatusLength, 0), kErrOutOfRange);
  EXPECT_EQ(ErrorOf(*device, kStatusLength, 4), kErrOutOfRange);
  EXPECT_EQ(ErrorOf(*device, kStatusPosition, 4), kErrOutOfRange);
  EXPECT_EQ(ErrorOf(*device, kStatusTypeTrack), kErrMissingParameter);
  EXPECT_EQ(ErrorOf(*device, kStatusTypeTrack, 4), kErrOutOfRange);

  for (uint32_t refused : {1u, 3u, 4u, 8u, 9u, 11u}) {
    EXPECT_EQ(device->Set({refused, false, false}), kErrBadTimeFormat) << refused;
  }
  EXPECT_EQ(device->Set({}), kErrMissingParameter);
  EXPECT_EQ(device->Set({std::nullopt, true, true}), kErrFlagsNotCompatible);
  EXPECT_EQ(device->Set({kFormatTmsf, true, true}), kErrFlagsNotCompatible);
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModeStop);  // the door stayed shut
  EXPECT_EQ(StatusOf(*device, kStatusTimeFormat), kFormatMsf);

  // A seek needs exactly one target.
  EXPECT_EQ(device->Seek(false, false, {}), kErrMissingParameter);
  EXPECT_EQ(device->Seek(true, true, {}), kErrFlagsNotCompatible);
  EXPECT_EQ(device->Seek(true, false, Msf(1, 0, 0)), kErrFlagsNotCompatible);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(5, 0, 0));
  ASSERT_EQ(device->Seek(false, true, {}), 0u);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(12, 0, 0));
  EXPECT_EQ(device->Play({}, {}), kErrOutOfRange);  // nothing left after the lead-out
  ASSERT_EQ(device->Seek(true, false, {}), 0u);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(0, 2, 0));

  for (uint32_t command : {kCmdWhere, kCmdStep, kCmdWindow, kCmdPut, kCmdCue}) {
    EXPECT_EQ(Device::Refuse(command), kErrUnrecognizedCommand) << command;
  }
  for (uint32_t command : {kCmdRecord, kCmdLoad, kCmdSave}) {
    EXPECT_EQ(Device::Refuse(command), kErrUnsupportedFunction) << command;
  }
}

TEST_F(DeviceTest, WithoutAReadableDiscCommandsAreRefusedAndAClosedOpenAnswersNothing) {
  auto device = Open();
  // Mode, media present and ready, then the errors of a track count, a play and an identity.
  const auto state = [&] {
    return std::to_string(StatusOf(*device, kStatusMode)) + " " +
           std::to_string(StatusOf(*device, kStatusMediaPresent)) + " " +
           std::to_string(StatusOf(*device, kStatusReady)) + ", " +
           std::to_string(ErrorOf(*device, kStatusNumberOfTracks)) + " " +
           std::to_string(device->Play({}, {})) + " " +
           std::to_string(device->Info(kInfoMediaIdentity, 64).error);
  };
  // No disc: the device is not ready (276).
  EXPECT_EQ(state(), std::to_string(kModeNotReady) + " 0 0, 276 276 276");
  EXPECT_EQ(StatusOf(*device, kStatusTimeFormat), kFormatMsf);
  for (uint32_t item : {kStatusLength, kStatusPosition, kStatusCurrentTrack}) {
    EXPECT_EQ(ErrorOf(*device, item), kErrDeviceNotReady) << item;
  }
  EXPECT_EQ(device->Stop(), kErrDeviceNotReady);
  EXPECT_EQ(device->Pause(), kErrDeviceNotReady);
  EXPECT_EQ(device->Resume(), kErrDeviceNotReady);
  EXPECT_EQ(device->Seek(true, false, {}), kErrDeviceNotReady);

  // A blank disc is a hardware error (262).
  Disc blank;
  blank.blank = true;
  ASSERT_EQ(drive_.Insert(blank), "");
  EXPECT_EQ(state(), std::to_string(kModeNotReady) + " 1 0, 262 262 262");

  // An open door.
  InsertExample();
  ASSERT_EQ(device->Set({std::nullopt, true, false}), 0u);
  EXPECT_EQ(state(), std::to_string(kModeOpen) + " 0 0, 276 276 276");
  ASSERT_EQ(device->Set({std::nullopt, false, true}), 0u);
  EXPECT_EQ(StatusOf(*device, kStatusNumberOfTracks), 3u);

  ASSERT_EQ(device->Close(), 0u);
  EXPECT_EQ(device->Close(), kErrInvalidDeviceId);
  EXPECT_EQ(device->Play({}, {}), kErrInvalidDeviceId);
  EXPECT_EQ(ErrorOf(*device, kStatusMode), kErrInvalidDeviceId);
  EXPECT_EQ(device->GetDevCaps(kCapsCanPlay).error, kErrInvalidDeviceId);
}

TEST_F(DeviceTest, CapabilitiesWithoutADiscAndInfoWithOne) {
  auto device = Open();
  const struct {
    uint32_t item;
    uint32_t value;
  } caps[] = {{kCapsCanRecord, 0},    {kCapsHasAudio, 1},  {kCapsHasVideo, 0},
              {kCapsDeviceType, 516}, {kCapsUsesFiles, 0}, {kCapsCompoundDevice, 0},
              {kCapsCanEject, 1},     {kCapsCanPlay, 1},   {kCapsCanSave, 0}};
  for (const auto& cap : caps) {
    const Answer answer = device->GetDevCaps(cap.item);
    EXPECT_EQ(answer.error, 0u) << cap.item;
    EXPECT_EQ(answer.value, cap.value) << cap.item;
  }
  EXPECT_EQ(device->GetDevCaps(kCapsCanEject).kind, ReturnKind::kBoolean);
  EXPECT_EQ(device->GetDevCaps(10).error, kErrUnsupportedFunction);
  EXPECT_EQ(device->GetDevCaps(std::nullopt).error, kErrMissingParameter);
  // Without a disc there is nothing to ask for a catalogue number either.
  EXPECT_EQ(device->Info(kInfoMediaUpc, 64).error, kErrDeviceNotReady);

  InsertExample();

  EXPECT_EQ(device->Info(kInfoMediaIdentity, 64).text, "797755");
  EXPECT_EQ(device->Info(kInfoMediaIdentity, 4).text, "797");  // 3 digits and the zero
  EXPECT_EQ(device->Info(kInfoMediaIdentity, 0).error, kErrParamOverflow);
  EXPECT_EQ(device->Info(kInfoProduct, 64).text, "CD Audio");
  EXPECT_EQ(device->Info(kInfoMediaUpc, 64).error, kErrNoIdentity);
  EXPECT_EQ(device->Info(0, 64).error, kErrMissingParameter);
  // Several items are accepted; one answers: product, then UPC, then identity.
  EXPECT_EQ(device->Info(kInfoProduct | kInfoMediaIdentity, 64).text, "CD Audio");
  EXPECT_EQ(device->Info(kInfoMediaUpc | kInfoProduct, 64).text, "CD Audio");
  EXPECT_EQ(device->Info(kInfoMediaUpc | kInfoMediaIdentity, 64).error, kErrNoIdentity);
  EXPECT_EQ(device->Info(kInfoFile, 64).error, kErrUnsupportedFunction);
  EXPECT_EQ(device->Info(kInfoFile | kInfoMediaIdentity, 64).text, "797755");
  // The identity and the volume serial come from one computation, whatever the disc.
  Disc many;
  many.tracks.assign(99, TrackEntry{true, 31 * 75 + 7});
  ASSERT_EQ(drive_.Insert(many), "");
  EXPECT_EQ(device->Info(kInfoMediaIdentity, 64).text, std::to_string(drive_.Volume()->serial));
  EXPECT_EQ(StatusOf(*device, kStatusNumberOfTracks), 99u);
  SetFormat(*device, kFormatTmsf);
  EXPECT_EQ(StatusOf(*device, kStatusPosition, 99), 99u);
  EXPECT_EQ(ErrorOf(*device, kStatusPosition, 100), kErrOutOfRange);
}

TEST_F(DeviceTest, ExclusiveAndShareableOpens) {
  InsertExample();
  auto first = Open(1);
  for (bool shareable : {false, true}) {
    Device::Opened second = Device::Open(drive_, 2, {.shareable = shareable}, {});
    EXPECT_EQ(second.error, kErrMustUseShareable);
    EXPECT_EQ(second.device, nullptr);
  }
  ASSERT_EQ(first->Close(), 0u);
  auto shared1 = Open(3, {.shareable = true});
  auto shared2 = Open(4, {.shareable = true});
  ASSERT_NE(shared2, nullptr);
  EXPECT_EQ(Device::Open(drive_, 5, {}, {}).error, kErrMustUseShareable);
  // Time formats are per open.
  SetFormat(*shared1, kFormatTmsf);
  EXPECT_EQ(StatusOf(*shared2, kStatusTimeFormat), kFormatMsf);
  shared1.reset();  // destroyed without Close still frees its place
  shared2.reset();
  EXPECT_EQ(drive_.OpenCount(), 0);
  EXPECT_NE(Open(6), nullptr);
}

}  // namespace
}  // namespace cdaudio
