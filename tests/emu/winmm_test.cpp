// winmm on the emulated machine: the cdaudio driver behind mciSendCommandA, its completions and
// its trace, and the CD-ROM drive as GetVolumeInformationA sees it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/emu/machine.h"
#include "platform/emu/mci_control.h"
#include "platform/win32.h"

namespace {

std::vector<std::pair<WPARAM, LPARAM>> g_notices;

LRESULT CALLBACK NoticeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == MM_MCINOTIFY) {
    g_notices.emplace_back(wParam, lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

cdaudio::TrackEntry Audio(uint32_t minutes, uint32_t seconds, uint32_t frames = 0) {
  return {true, (minutes * 60 + seconds) * 75 + frames};
}

// Tracks at 00:02:00, 04:32:47 and 08:10:12, lead-out 12:00:00.
cdaudio::Disc WorkedExample() {
  cdaudio::Disc disc;
  disc.tracks = {Audio(4, 30, 47), Audio(3, 37, 40), Audio(3, 49, 63)};
  return disc;
}

constexpr DWORD Tmsf(DWORD t, DWORD m, DWORD s, DWORD f = 0) {
  return t | m << 8 | s << 16 | f << 24;
}
constexpr DWORD Msf(DWORD m, DWORD s, DWORD f = 0) {
  return m | s << 8 | f << 16;
}

class Winmm : public ::testing::Test {
 protected:
  void SetUp() override {
    g_notices.clear();
    machine.AddDrive('D', DRIVE_CDROM);
    ASSERT_EQ(emu::InsertDisc(machine, 'D', WorkedExample()), "");
    WNDCLASSA wc{};
    wc.lpfnWndProc = &NoticeProc;
    wc.lpszClassName = "WinmmNotices";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "WinmmNotices", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(window, nullptr);
  }

  DWORD_PTR Callback() const { return reinterpret_cast<DWORD_PTR>(window); }

  MCIERROR OpenDevice(MCIDEVICEID& id, const char* element = "D:", DWORD flags = 0) {
    MCI_OPEN_PARMSA parms{};
    parms.dwCallback = Callback();
    parms.lpstrDeviceType = "cdaudio";
    parms.lpstrElementName = element;
    flags |= MCI_WAIT | MCI_OPEN_TYPE | (element ? MCI_OPEN_ELEMENT : 0);
    const MCIERROR error = mciSendCommandA(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&parms));
    id = error == 0 ? parms.wDeviceID : 0;
    return error;
  }
  MCIDEVICEID Open(const char* element = "D:", DWORD flags = 0) {
    MCIDEVICEID id = 0;
    EXPECT_EQ(OpenDevice(id, element, flags), 0u);
    return id;
  }

  // dwReturn, or the error when the query fails (told apart by `error`).
  DWORD_PTR Status(MCIDEVICEID id, DWORD item, MCIERROR* error = nullptr,
                   std::optional<DWORD> track = std::nullopt) {
    MCI_STATUS_PARMS parms{};
    parms.dwItem = item;
    parms.dwReturn = 0xDEAD;
    DWORD flags = MCI_WAIT | MCI_STATUS_ITEM;
    if (track) {
      flags |= MCI_TRACK;
      parms.dwTrack = *track;
    }
    const MCIERROR e = mciSendCommandA(id, MCI_STATUS, flags, reinterpret_cast<DWORD_PTR>(&parms));
    if (error) *error = e;
    EXPECT_TRUE(error || e == 0) << "status item " << item << " failed with " << e;
    return parms.dwReturn;
  }

  MCIERROR Generic(MCIDEVICEID id, UINT command, DWORD flags) {
    MCI_GENERIC_PARMS parms{Callback()};
    return mciSendCommandA(id, command, flags, reinterpret_cast<DWORD_PTR>(&parms));
  }
  MCIERROR Play(MCIDEVICEID id, DWORD flags, DWORD from = 0, DWORD to = 0) {
    MCI_PLAY_PARMS parms{Callback(), from, to};
    return mciSendCommandA(id, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&parms));
  }
  MCIERROR SetTimeFormat(MCIDEVICEID id, DWORD format) {
    MCI_SET_PARMS parms{};
    parms.dwTimeFormat = format;
    return mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&parms));
  }

  // The completions delivered to the window once its thread takes its messages.
  std::vector<WPARAM> Delivered() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    std::vector<WPARAM> outcomes;
    for (const auto& [outcome, device] : g_notices) outcomes.push_back(outcome);
    g_notices.clear();
    return outcomes;
  }

  emu::Machine machine;
  HWND window = nullptr;
};

using Outcomes = std::vector<WPARAM>;

TEST_F(Winmm, OpensByDriveElementAndStartsStoppedInMsfAtTrackOne) {
  const MCIDEVICEID id = Open("d:");
  ASSERT_NE(id, 0u);
  // The driver's answers are the core's (tests/cdaudio); here the records carry them both ways.
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_STOP));
  ASSERT_EQ(SetTimeFormat(id, MCI_FORMAT_TMSF), 0u);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION, nullptr, 2), Tmsf(2, 0, 0));
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH, nullptr, 1), Msf(4, 30, 47));
  MCIERROR error = 0;
  Status(id, MCI_STATUS_POSITION, &error, 4);
  EXPECT_EQ(error, static_cast<MCIERROR>(MCIERR_OUTOFRANGE));

  // The answers a resource-style item gives are plain numbers.
  MCI_GETDEVCAPS_PARMS caps{};
  const auto capability = [&](DWORD item) {
    caps.dwItem = item;
    EXPECT_EQ(mciSendCommandA(id, MCI_GETDEVCAPS, MCI_WAIT | MCI_GETDEVCAPS_ITEM,
                              reinterpret_cast<DWORD_PTR>(&caps)),
              0u);
    return caps.dwReturn;
  };
  EXPECT_EQ(capability(MCI_GETDEVCAPS_CAN_PLAY), 1u);
  EXPECT_EQ(capability(MCI_GETDEVCAPS_CAN_EJECT), 1u);
  EXPECT_EQ(capability(MCI_GETDEVCAPS_CAN_RECORD), 0u);
  EXPECT_EQ(capability(MCI_GETDEVCAPS_HAS_VIDEO), 0u);
  EXPECT_EQ(capability(MCI_GETDEVCAPS_DEVICE_TYPE), static_cast<DWORD>(MCI_DEVTYPE_CD_AUDIO));
  EXPECT_EQ(Generic(id, MCI_CLOSE, MCI_WAIT), 0u);
  EXPECT_EQ(Generic(id, MCI_STOP, MCI_WAIT), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
}

TEST_F(Winmm, OpenRefusalsNameTheirCause) {
  machine.AddDrive('E', DRIVE_FIXED);
  MCIDEVICEID id = 0;
  // Only "D:" names a CD drive on every Windows; the driver takes anything else for a file.
  for (const char* element : {"E:", "Q:", "D:\\music", "d:\\X", "d", "\\", "D:\\"}) {
    EXPECT_EQ(OpenDevice(id, element), static_cast<MCIERROR>(MCIERR_INVALID_FILE)) << element;
  }

  MCI_OPEN_PARMSA parms{};
  parms.lpstrDeviceType = "waveaudio";
  EXPECT_EQ(
      mciSendCommandA(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE, reinterpret_cast<DWORD_PTR>(&parms)),
      static_cast<MCIERROR>(MCIERR_CANNOT_LOAD_DRIVER));
  EXPECT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms)),
            static_cast<MCIERROR>(MCIERR_MISSING_DEVICE_NAME));
  EXPECT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_WAIT, 0),
            static_cast<MCIERROR>(MCIERR_NULL_PARAMETER_BLOCK));
  EXPECT_EQ(Generic(0, MCI_STATUS, MCI_WAIT), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
  EXPECT_TRUE(emu::MciDevices(machine).empty());
  EXPECT_TRUE(Delivered().empty()) << "a failed command posts nothing";
}

TEST_F(Winmm, WithoutACdDriveTheDriverDoesNotLoad) {
  machine.AddDrive('D', DRIVE_FIXED);
  MCIDEVICEID id = 0;
  EXPECT_EQ(OpenDevice(id, nullptr), static_cast<MCIERROR>(MCIERR_CANNOT_LOAD_DRIVER));
}

TEST_F(Winmm, OpenWithoutAnElementTakesTheFirstCdDrive) {
  machine.AddDrive('C', DRIVE_FIXED);
  machine.AddDrive('F', DRIVE_CDROM);
  const MCIDEVICEID id = Open(nullptr);
  const auto devices = emu::MciDevices(machine);
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].id, id);
  EXPECT_EQ(devices[0].drive, 'D');
}

TEST_F(Winmm, ExclusiveAndShareableOpens) {
  const MCIDEVICEID first = Open("D:");
  MCIDEVICEID id = 0;
  EXPECT_EQ(OpenDevice(id, "D:"), static_cast<MCIERROR>(MCIERR_MUST_USE_SHAREABLE));
  EXPECT_EQ(OpenDevice(id, "D:", MCI_OPEN_SHAREABLE),
            static_cast<MCIERROR>(MCIERR_MUST_USE_SHAREABLE));
  ASSERT_EQ(Generic(first, MCI_CLOSE, MCI_WAIT), 0u);

  const MCIDEVICEID a = Open("D:", MCI_OPEN_SHAREABLE);
  const MCIDEVICEID b = Open("D:", MCI_OPEN_SHAREABLE);
  EXPECT_NE(a, b);
  EXPECT_NE(a, first) << "IDs are not reused";
  EXPECT_EQ(OpenDevice(id, "D:"), static_cast<MCIERROR>(MCIERR_MUST_USE_SHAREABLE));
  // Both see the one drive: a play started through one is what the other reports.
  ASSERT_EQ(Play(a, 0), 0u);
  EXPECT_EQ(Status(b, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_PLAY));
}

TEST_F(Winmm, AProcessThatEndsTakesItsDevicesWithIt) {
  const int pid = machine.StartProcess([] {
    MCI_OPEN_PARMSA parms{};
    parms.lpstrDeviceType = "CDAudio";
    parms.lpstrElementName = "D:";
    return static_cast<int>(mciSendCommandA(0, MCI_OPEN,
                                            MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                                            reinterpret_cast<DWORD_PTR>(&parms)));
  });
  EXPECT_EQ(machine.Process(pid).exitCode, 0);
  // Its device ID means nothing to another process, and the drive is free again.
  EXPECT_EQ(Generic(1, MCI_STOP, MCI_WAIT), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
  EXPECT_NE(Open("D:"), 0u);
}

TEST_F(Winmm, IdentityAndSerialOfTheWorkedExampleComeFromOneIdentifier) {
  char label[256] = {};
  DWORD serial = 0, maxLength = 0, flags = 0;
  char fileSystem[16] = {};
  ASSERT_TRUE(GetVolumeInformationA("D:", label, sizeof label, &serial, &maxLength, &flags,
                                    fileSystem, sizeof fileSystem));
  EXPECT_STREQ(label, "Audio CD");
  EXPECT_EQ(serial, 797755u);
  EXPECT_STREQ(fileSystem, "CDFS");
  EXPECT_EQ(maxLength, 221u);
  EXPECT_EQ(flags, static_cast<DWORD>(FILE_READ_ONLY_VOLUME));

  const MCIDEVICEID id = Open();
  char identity[17] = "unchanged";
  MCI_INFO_PARMSA info{Callback(), identity, sizeof identity};
  ASSERT_EQ(mciSendCommandA(id, MCI_INFO, MCI_WAIT | MCI_INFO_MEDIA_IDENTITY,
                            reinterpret_cast<DWORD_PTR>(&info)),
            0u);
  EXPECT_STREQ(identity, "797755");
  info.dwRetSize = 4;
  ASSERT_EQ(mciSendCommandA(id, MCI_INFO, MCI_WAIT | MCI_INFO_MEDIA_IDENTITY,
                            reinterpret_cast<DWORD_PTR>(&info)),
            0u);
  EXPECT_STREQ(identity, "797") << "cut to the buffer with its zero";
  info.dwRetSize = 0;
  EXPECT_EQ(mciSendCommandA(id, MCI_INFO, MCI_WAIT | MCI_INFO_MEDIA_IDENTITY,
                            reinterpret_cast<DWORD_PTR>(&info)),
            static_cast<MCIERROR>(MCIERR_PARAM_OVERFLOW));

  emu::EjectDisc(machine, 'D');
  info.dwRetSize = sizeof identity;
  EXPECT_EQ(mciSendCommandA(id, MCI_INFO, MCI_WAIT | MCI_INFO_MEDIA_IDENTITY,
                            reinterpret_cast<DWORD_PTR>(&info)),
            static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY));
  EXPECT_FALSE(
      GetVolumeInformationA("D:", label, sizeof label, &serial, nullptr, nullptr, nullptr, 0));
}

TEST_F(Winmm, CompletionsArePostedAfterTheCommandWithTheirOutcome) {
  const MCIDEVICEID id = Open();
  // Successful: the play reaches its end on the machine's clock.
  MCI_SEEK_PARMS seek{Callback(), Msf(11, 59)};
  ASSERT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_WAIT | MCI_TO, reinterpret_cast<DWORD_PTR>(&seek)),
            0u);
  ASSERT_EQ(Play(id, MCI_NOTIFY), 0u);
  EXPECT_TRUE(g_notices.empty()) << "nothing is delivered inside the call";
  machine.Advance(999);
  EXPECT_TRUE(Delivered().empty());
  machine.Advance(1);
  ASSERT_EQ(Delivered(), Outcomes{MCI_NOTIFY_SUCCESSFUL});

  // Aborted: a stop interrupts the play; the stop reports itself.
  ASSERT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, Msf(0, 2)), 0u);
  ASSERT_EQ(Generic(id, MCI_STOP, MCI_WAIT | MCI_NOTIFY), 0u);
  EXPECT_EQ(Delivered(), (Outcomes{MCI_NOTIFY_ABORTED, MCI_NOTIFY_SUCCESSFUL}));

  // Superseded: a command with its own request while the play goes on.
  ASSERT_EQ(Play(id, MCI_NOTIFY), 0u);
  MCI_STATUS_PARMS status{Callback(), 0, MCI_STATUS_MODE, 0};
  ASSERT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_NOTIFY | MCI_WAIT | MCI_STATUS_ITEM,
                            reinterpret_cast<DWORD_PTR>(&status)),
            0u);
  EXPECT_EQ(Delivered(), (Outcomes{MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_SUCCESSFUL}));
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_PLAY));

  // A failing command posts nothing; the play keeps nothing pending either way.
  ASSERT_EQ(Play(id, MCI_NOTIFY), 0u);
  EXPECT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, Msf(0, 60)), static_cast<MCIERROR>(MCIERR_OUTOFRANGE));
  EXPECT_TRUE(Delivered().empty());
  // The device ID rides in lParam.
  ASSERT_EQ(Generic(id, MCI_PAUSE, MCI_WAIT), 0u);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(MM_MCINOTIFY));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(MCI_NOTIFY_ABORTED));
  EXPECT_EQ(msg.lParam, static_cast<LPARAM>(id));
}

TEST_F(Winmm, PauseAndResumeDependOnThePlatform) {
  const MCIDEVICEID id = Open();
  EXPECT_EQ(Generic(id, MCI_RESUME, MCI_WAIT), static_cast<MCIERROR>(MCIERR_HARDWARE))
      << "nothing paused";
  ASSERT_EQ(Play(id, MCI_NOTIFY), 0u);
  machine.Advance(2000);
  ASSERT_EQ(Generic(id, MCI_PAUSE, MCI_WAIT), 0u);
  // NT's driver reads a pause as a stop; it still resumes.
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_STOP));
  machine.Advance(5000);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), Msf(0, 4));
  ASSERT_EQ(Generic(id, MCI_RESUME, MCI_NOTIFY), 0u);
  machine.Advance(1000);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), Msf(0, 5));
  EXPECT_EQ(Delivered(), Outcomes{MCI_NOTIFY_ABORTED});
  ASSERT_EQ(Generic(id, MCI_CLOSE, MCI_WAIT), 0u);

  // Windows 9x drivers refuse MCI_RESUME: a device opened there says so, paused or not.
  machine.SetPlatform(emu::Platform::Win9x);
  const MCIDEVICEID old = Open();
  ASSERT_EQ(Generic(old, MCI_PAUSE, MCI_WAIT), 0u);
  EXPECT_EQ(Generic(old, MCI_RESUME, MCI_WAIT), static_cast<MCIERROR>(MCIERR_UNSUPPORTED_FUNCTION));
  ASSERT_EQ(Play(old, MCI_WAIT), 0u);
  ASSERT_EQ(Generic(old, MCI_PAUSE, MCI_WAIT), 0u);
  EXPECT_EQ(Status(old, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_PAUSE));
}

TEST_F(Winmm, WithoutTheEndNoticeAPlayStaysPendingUntilSuperseded) {
  emu::SetNotifyAtEnd(machine, false);
  const MCIDEVICEID id = Open();
  ASSERT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, Msf(11, 59)), 0u);
  machine.Advance(2000);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_STOP));
  EXPECT_TRUE(Delivered().empty());
  // The setting reaches devices already open.
  ASSERT_EQ(Generic(id, MCI_STOP, MCI_NOTIFY), 0u);
  EXPECT_EQ(Delivered(), (Outcomes{MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_SUCCESSFUL}));
  emu::SetNotifyAtEnd(machine, true);
  ASSERT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, Msf(11, 59)), 0u);
  machine.Advance(2000);
  EXPECT_EQ(Delivered(), Outcomes{MCI_NOTIFY_SUCCESSFUL});
  // MCI_STATUS_START reaches the driver: the disc's start, wherever the head is.
  MCI_STATUS_PARMS status{Callback(), 0, MCI_STATUS_POSITION, 0};
  ASSERT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM | MCI_STATUS_START,
                            reinterpret_cast<DWORD_PTR>(&status)),
            0u);
  EXPECT_EQ(status.dwReturn, Msf(0, 2));
}

TEST_F(Winmm, TheDoorOpenedDuringPlayAbortsItAndStopsTheTocCommands) {
  const MCIDEVICEID id = Open();
  ASSERT_EQ(Play(id, MCI_NOTIFY), 0u);
  MCI_SET_PARMS set{Callback(), 0, 0};
  ASSERT_EQ(mciSendCommandA(id, MCI_SET, MCI_WAIT | MCI_NOTIFY | MCI_SET_DOOR_OPEN,
                            reinterpret_cast<DWORD_PTR>(&set)),
            0u);
  EXPECT_EQ(Delivered(), (Outcomes{MCI_NOTIFY_ABORTED, MCI_NOTIFY_SUCCESSFUL}));
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_OPEN));
  MCIERROR error = 0;
  Status(id, MCI_STATUS_NUMBER_OF_TRACKS, &error);
  EXPECT_EQ(error, static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY));
  EXPECT_EQ(Play(id, 0), static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY));
  EXPECT_FALSE(GetVolumeInformationA("D:", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));

  // The same from the hardware side: the user takes the disc out while it plays.
  ASSERT_EQ(emu::InsertDisc(machine, 'D', WorkedExample()), "");
  ASSERT_EQ(Play(id, MCI_NOTIFY), 0u);
  emu::EjectDisc(machine, 'D');
  EXPECT_EQ(Delivered(), Outcomes{MCI_NOTIFY_ABORTED});
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_OPEN));
  // A disc that cannot go in says why and changes nothing.
  EXPECT_NE(emu::InsertDisc(machine, 'D', cdaudio::Disc{}), "");
  EXPECT_NE(emu::InsertDisc(machine, 'Q', WorkedExample()), "");
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_OPEN));
}

TEST_F(Winmm, CommandsTheCdDriverDoesNotKnowAreRefused) {
  const MCIDEVICEID id = Open();
  for (UINT command : {MCI_WHERE, MCI_STEP, MCI_WINDOW}) {
    EXPECT_EQ(Generic(id, command, MCI_WAIT), static_cast<MCIERROR>(MCIERR_UNRECOGNIZED_COMMAND))
        << command;
  }
  for (UINT command : {MCI_RECORD, MCI_LOAD}) {
    EXPECT_EQ(Generic(id, command, MCI_WAIT), static_cast<MCIERROR>(MCIERR_UNSUPPORTED_FUNCTION))
        << command;
  }
  MCI_SEEK_PARMS seek{Callback(), 0};
  EXPECT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&seek)),
            static_cast<MCIERROR>(MCIERR_MISSING_PARAMETER));
  EXPECT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START | MCI_TO,
                            reinterpret_cast<DWORD_PTR>(&seek)),
            static_cast<MCIERROR>(MCIERR_FLAGS_NOT_COMPATIBLE));
  EXPECT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, 0),
            static_cast<MCIERROR>(MCIERR_NULL_PARAMETER_BLOCK));
  EXPECT_EQ(mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0), 0u) << "a stop needs no record";
  EXPECT_TRUE(Delivered().empty());
}

TEST_F(Winmm, TheTraceKeepsEveryCommandWithItsNamedFields) {
  emu::ClearMciTrace(machine);
  const MCIDEVICEID id = Open("D:");
  Play(id, MCI_NOTIFY | MCI_FROM, Msf(0, 3), 0xBAD);
  Status(id, MCI_STATUS_POSITION, nullptr, 2);
  machine.FailNext("mciSendCommandA");
  EXPECT_EQ(Generic(id, MCI_STOP, MCI_WAIT), static_cast<MCIERROR>(MCIERR_HARDWARE));
  const auto trace = emu::MciTrace(machine);
  ASSERT_EQ(trace.size(), 4u);
  EXPECT_EQ(trace[0].command, static_cast<UINT>(MCI_OPEN));
  EXPECT_EQ(trace[0].device, 0u);
  EXPECT_EQ(trace[0].flags, static_cast<DWORD>(MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_ELEMENT));
  EXPECT_EQ(trace[0].deviceType, "cdaudio");
  EXPECT_EQ(trace[0].element, "D:");
  EXPECT_EQ(trace[0].returned, id);
  EXPECT_EQ(trace[0].callback, Callback());
  EXPECT_EQ(trace[1].device, id);
  EXPECT_EQ(trace[1].from, Msf(0, 3));
  EXPECT_EQ(trace[1].to, 0u) << "dwTo is not named by the flags";
  EXPECT_EQ(trace[2].item, static_cast<DWORD>(MCI_STATUS_POSITION));
  EXPECT_EQ(trace[2].track, 2u);
  EXPECT_EQ(trace[2].returned, Msf(4, 32, 47));
  EXPECT_EQ(trace[3].result, static_cast<MCIERROR>(MCIERR_HARDWARE));
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_PLAY))
      << "the failed stop reached no driver";
}

TEST_F(Winmm, ErrorTextsForEveryCodeTheDriverGives) {
  char text[128];
  ASSERT_TRUE(mciGetErrorStringA(MCIERR_DEVICE_NOT_READY, text, sizeof text));
  EXPECT_STREQ(text, "The device driver is not ready.");
  ASSERT_TRUE(mciGetErrorStringA(MCIERR_DEVICE_NOT_READY, text, 8));
  EXPECT_STREQ(text, "The dev");
  EXPECT_FALSE(mciGetErrorStringA(999, text, sizeof text));
  EXPECT_FALSE(mciGetErrorStringA(MCIERR_DEVICE_NOT_READY, text, 0));
  for (MCIERROR code :
       {MCIERR_INVALID_DEVICE_ID, MCIERR_UNRECOGNIZED_COMMAND, MCIERR_HARDWARE,
        MCIERR_INVALID_DEVICE_NAME, MCIERR_CANNOT_LOAD_DRIVER, MCIERR_PARAM_OVERFLOW,
        MCIERR_MISSING_PARAMETER, MCIERR_UNSUPPORTED_FUNCTION, MCIERR_OUTOFRANGE,
        MCIERR_FLAGS_NOT_COMPATIBLE, MCIERR_MUST_USE_SHAREABLE, MCIERR_MISSING_DEVICE_NAME,
        MCIERR_BAD_TIME_FORMAT, MCIERR_NULL_PARAMETER_BLOCK}) {
    EXPECT_TRUE(mciGetErrorStringA(code, text, sizeof text)) << code;
  }
}

}  // namespace
