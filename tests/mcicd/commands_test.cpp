// The MCI translation where its two hosts differ: how an answer reaches the caller (the value
// alone for mciSendCommandA's caller; packed with its kind for winmm, from a driver) and the
// width of MCI_INFO's text. The commands themselves are tested through the emulated winmm.
#include <gtest/gtest.h>

#include "cdaudio/fixture.h"
#include "platform/mcicd/commands.h"

namespace cdaudio {
namespace {

using mcicd::Host;

class Translation : public CdTest {
 protected:
  DWORD Run(Host host, UINT command, DWORD flags, void* record) {
    return mcicd::RunCommand(*device_, command, flags, reinterpret_cast<DWORD_PTR>(record),
                             mcicd::Options{host, std::nullopt});
  }

  void SetUp() override {
    InsertExample();
    device_ = Open();
  }
  std::unique_ptr<Device> device_;
};

TEST_F(Translation, AnswersReachTheCallerAsEachHostHandsThemOver) {
  const struct {
    const char* what;
    UINT command;
    DWORD item;
    DWORD value;
    DWORD driver_flags;  // the result's high word from the driver
    DWORD resource;      // MAKEMCIRESOURCE's high word
  } cases[] = {
      {"mode", MCI_STATUS, MCI_STATUS_MODE, MCI_MODE_STOP, 0x00010000, MCI_MODE_STOP},
      {"tracks", MCI_STATUS, MCI_STATUS_NUMBER_OF_TRACKS, 3, 0x00080000, 0},
      {"position", MCI_STATUS, MCI_STATUS_POSITION, Msf(0, 2, 0), 0x00020000, 0},
      {"time format", MCI_STATUS, MCI_STATUS_TIME_FORMAT, MCI_FORMAT_MSF, 0x00010000,
       kResourceFormatReturnBase + MCI_FORMAT_MSF},
      {"can eject", MCI_GETDEVCAPS, MCI_GETDEVCAPS_CAN_EJECT, 1, 0x00010000, kResourceTrue},
      {"device type", MCI_GETDEVCAPS, MCI_GETDEVCAPS_DEVICE_TYPE, MCI_DEVTYPE_CD_AUDIO, 0x00010000,
       MCI_DEVTYPE_CD_AUDIO},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (Host host : {Host::kWinmm, Host::kDriver}) {
      MCI_STATUS_PARMS status{};
      MCI_GETDEVCAPS_PARMS caps{};
      status.dwItem = caps.dwItem = c.item;
      const bool is_status = c.command == MCI_STATUS;
      const DWORD result = Run(host, c.command, is_status ? MCI_STATUS_ITEM : MCI_GETDEVCAPS_ITEM,
                               is_status ? static_cast<void*>(&status) : &caps);
      const DWORD returned = is_status ? static_cast<DWORD>(status.dwReturn) : caps.dwReturn;
      if (host == Host::kWinmm) {
        EXPECT_EQ(result, 0u);
        EXPECT_EQ(returned, c.value);
      } else {
        EXPECT_EQ(result, c.driver_flags);
        EXPECT_EQ(returned, c.value | c.resource << 16);
      }
    }
  }
  // A failure is the error alone from both.
  for (Host host : {Host::kWinmm, Host::kDriver}) {
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_POSITION;
    status.dwTrack = 4;
    EXPECT_EQ(Run(host, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, &status), MCIERR_OUTOFRANGE);
  }
}

TEST_F(Translation, InfoTextIsBytesForTheProgramAndCharactersForWinmm) {
  char narrow[5] = "????";
  MCI_INFO_PARMSA info_a{0, narrow, sizeof narrow};
  ASSERT_EQ(Run(Host::kWinmm, MCI_INFO, MCI_INFO_MEDIA_IDENTITY, &info_a), 0u);
  EXPECT_STREQ(narrow, "7977");  // 797755 cut to the buffer

  WCHAR wide[8];
  std::fill(std::begin(wide), std::end(wide), WCHAR{'?'});
  MCI_INFO_PARMSW info_w{0, wide, 8};
  ASSERT_EQ(Run(Host::kDriver, MCI_INFO, MCI_INFO_MEDIA_IDENTITY, &info_w), 0u);
  const WCHAR expected[] = {'7', '9', '7', '7', '5', '5', 0, '?'};
  EXPECT_TRUE(std::equal(std::begin(wide), std::end(wide), std::begin(expected)));
}

TEST_F(Translation, ARecordMissingWhereTheFlagsNeedOneIsRefusedBeforeTheCore) {
  EXPECT_EQ(Run(Host::kDriver, MCI_PLAY, MCI_NOTIFY, nullptr), MCIERR_NULL_PARAMETER_BLOCK);
  EXPECT_EQ(Run(Host::kDriver, MCI_STATUS, MCI_STATUS_ITEM, nullptr), MCIERR_NULL_PARAMETER_BLOCK);
  EXPECT_EQ(drive_.Mode(), kModeStop);
  EXPECT_EQ(Run(Host::kDriver, MCI_PLAY, 0, nullptr), 0u);
  EXPECT_EQ(drive_.Mode(), kModePlay);
}

TEST(Element, NamesADriveInEitherWidth) {
  const WCHAR wide[] = {'d', ':', 0};
  EXPECT_EQ(mcicd::DriveOfElement(wide), 'D');
  EXPECT_EQ(mcicd::DriveOfElement("E:"), 'E');
  for (const char* bad : {"D", "D:x", "1:", "D:\\", ""}) {
    EXPECT_EQ(mcicd::DriveOfElement(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace cdaudio
