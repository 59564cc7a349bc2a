// winmm on the emulated machine: the cdaudio driver behind mciSendCommandA, its completions and
// its trace, and the CD-ROM drive as GetVolumeInformationA sees it. What the driver answers is the
// core's (tests/cdaudio) through the shared translation (tests/mcicd); here: what winmm adds —
// the open record, device IDs and their owners, the platform's driver, posting and the trace.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "cdaudio/fixture.h"
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

using cdaudio::Msf;
using cdaudio::Tmsf;
using cdaudio::WorkedExample;

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
                   std::optional<DWORD> track = std::nullopt, DWORD extra = 0) {
    MCI_STATUS_PARMS parms{};
    parms.dwItem = item;
    parms.dwReturn = 0xDEAD;
    DWORD flags = MCI_WAIT | MCI_STATUS_ITEM | extra;
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

TEST_F(Winmm, OpensByDriveElementAndCarriesTheRecordsBothWays) {
  const MCIDEVICEID id = Open("d:");
  ASSERT_NE(id, 0u);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_STOP));
  MCI_SET_PARMS set{};
  set.dwTimeFormat = MCI_FORMAT_TMSF;
  ASSERT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set)),
            0u);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION, nullptr, 2), Tmsf(2, 0, 0));
  EXPECT_EQ(Status(id, MCI_STATUS_LENGTH, nullptr, 1), Msf(4, 30, 47));
  MCIERROR error = 0;
  Status(id, MCI_STATUS_POSITION, &error, 4);
  EXPECT_EQ(error, static_cast<MCIERROR>(MCIERR_OUTOFRANGE));
  // MCI_STATUS_START reaches the driver: the disc's start, wherever the head is.
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION, nullptr, std::nullopt, MCI_STATUS_START),
            Tmsf(1, 0, 0));
  // Refusals of commands the driver lacks, and of a record missing where the flags need one.
  EXPECT_EQ(Generic(id, MCI_WHERE, MCI_WAIT), static_cast<MCIERROR>(MCIERR_UNRECOGNIZED_COMMAND));
  EXPECT_EQ(Generic(id, MCI_RECORD, MCI_WAIT), static_cast<MCIERROR>(MCIERR_UNSUPPORTED_FUNCTION));
  EXPECT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, 0),
            static_cast<MCIERROR>(MCIERR_NULL_PARAMETER_BLOCK));
  EXPECT_EQ(mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0), 0u) << "a stop needs no record";
  EXPECT_EQ(Generic(id, MCI_CLOSE, MCI_WAIT), 0u);
  EXPECT_EQ(Generic(id, MCI_STOP, MCI_WAIT), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
  EXPECT_TRUE(Delivered().empty()) << "nothing asked for a completion";
}

TEST_F(Winmm, OpenTakesTheFirstCdDriveOrRefusesWithItsCause) {
  machine.AddDrive('C', DRIVE_FIXED);
  machine.AddDrive('E', DRIVE_FIXED);
  machine.AddDrive('F', DRIVE_CDROM);
  const MCIDEVICEID id = Open(nullptr);
  ASSERT_EQ(emu::MciDevices(machine).size(), 1u);
  EXPECT_EQ(emu::MciDevices(machine)[0].id, id);
  EXPECT_EQ(emu::MciDevices(machine)[0].drive, 'D') << "no element: the first CD drive";
  ASSERT_EQ(Generic(id, MCI_CLOSE, MCI_WAIT), 0u);

  MCIDEVICEID refused = 0;
  // Only "D:" names a CD drive on every Windows; the driver takes anything else for a file.
  for (const char* element : {"E:", "Q:", "D:\\music", "d:\\X", "d", "\\", "D:\\"}) {
    EXPECT_EQ(OpenDevice(refused, element), static_cast<MCIERROR>(MCIERR_INVALID_FILE)) << element;
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
  // Without a CD drive the driver does not load.
  machine.AddDrive('D', DRIVE_FIXED);
  machine.AddDrive('F', DRIVE_FIXED);
  EXPECT_EQ(OpenDevice(refused, nullptr), static_cast<MCIERROR>(MCIERR_CANNOT_LOAD_DRIVER));
}

TEST_F(Winmm, DeviceIdsAreNewForEachOpenAndBelongToTheOpeningProcess) {
  const MCIDEVICEID first = Open("D:");
  MCIDEVICEID id = 0;
  EXPECT_EQ(OpenDevice(id, "D:", MCI_OPEN_SHAREABLE),
            static_cast<MCIERROR>(MCIERR_MUST_USE_SHAREABLE));
  ASSERT_EQ(Generic(first, MCI_CLOSE, MCI_WAIT), 0u);
  const MCIDEVICEID a = Open("D:", MCI_OPEN_SHAREABLE);
  const MCIDEVICEID b = Open("D:", MCI_OPEN_SHAREABLE);
  EXPECT_NE(a, b);
  EXPECT_NE(a, first) << "IDs are not reused";
  // Both see the one drive: a play started through one is what the other reports.
  ASSERT_EQ(Play(a, 0), 0u);
  EXPECT_EQ(Status(b, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_PLAY));
  ASSERT_EQ(Generic(a, MCI_CLOSE, MCI_WAIT), 0u);
  ASSERT_EQ(Generic(b, MCI_CLOSE, MCI_WAIT), 0u);

  const int pid = machine.StartProcess([] {
    MCI_OPEN_PARMSA parms{};
    parms.lpstrDeviceType = "CDAudio";
    parms.lpstrElementName = "D:";
    const MCIERROR e = mciSendCommandA(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                                       reinterpret_cast<DWORD_PTR>(&parms));
    return e == 0 ? static_cast<int>(parms.wDeviceID) : -1;
  });
  const int theirs = machine.Process(pid).exitCode;
  ASSERT_GT(theirs, 0);
  // Its device ID means nothing to another process, and the drive is free again once it ended.
  EXPECT_EQ(Generic(theirs, MCI_STOP, MCI_WAIT), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
  EXPECT_NE(Open("D:"), 0u);
}

// A device ID is its process's: another process, running or not, cannot reach the device with
// it, not even to close it, while the owner goes on using it.
TEST_F(Winmm, ADeviceAnswersOnlyTheProcessThatOpenedIt) {
  auto openInProgram = [] {
    MCI_OPEN_PARMSA parms{};
    parms.lpstrDeviceType = "cdaudio";
    parms.lpstrElementName = "D:";
    const MCIERROR e = mciSendCommandA(
        0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE,
        reinterpret_cast<DWORD_PTR>(&parms));
    return e == 0 ? parms.wDeviceID : 0;
  };
  auto messageLoop = [] {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
  };
  MCIDEVICEID theirs = 0;
  const int owner = machine.StartProcess(messageLoop);
  machine.RunInProcess(owner, [&] { theirs = openInProgram(); });
  ASSERT_NE(theirs, 0u);
  const int other = machine.StartProcess(messageLoop);
  // Each command with its own record.
  auto send = [&](UINT command) {
    return command == MCI_PLAY ? Play(theirs, MCI_WAIT) : Generic(theirs, command, MCI_WAIT);
  };
  for (const UINT command : {MCI_PLAY, MCI_STOP, MCI_CLOSE}) {
    EXPECT_EQ(send(command), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID))
        << "from the test's own thread, command " << command;
    MCIERROR error = 0;
    machine.RunInProcess(other, [&] { error = send(command); });
    EXPECT_EQ(error, static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID)) << "command " << command;
  }
  // The owner still has its device, and the drive is still opened once (shareable).
  MCIERROR played = 1;
  machine.RunInProcess(owner, [&] { played = Play(theirs, 0); });
  EXPECT_EQ(played, 0u);
  EXPECT_EQ(emu::CdDrive(machine, 'D')->mode, static_cast<DWORD>(MCI_MODE_PLAY));
  ASSERT_EQ(emu::MciDevices(machine).size(), 1u);
  EXPECT_EQ(emu::MciDevices(machine)[0].pid, owner);
  MCIERROR closed = 1;
  machine.RunInProcess(owner, [&] { closed = Generic(theirs, MCI_CLOSE, MCI_WAIT); });
  EXPECT_EQ(closed, 0u);
  EXPECT_TRUE(emu::MciDevices(machine).empty());
  machine.EndAllProcesses();
}

TEST_F(Winmm, IdentityAndSerialOfTheWorkedExampleComeFromOneIdentifier) {
  char label[256] = {};
  DWORD serial = 0, maxLength = 0, flags = 0;
  char fileSystem[16] = {};
  ASSERT_TRUE(GetVolumeInformationA("D:", label, sizeof label, &serial, &maxLength, &flags,
                                    fileSystem, sizeof fileSystem));
  EXPECT_EQ(std::string(label) + " " + std::to_string(serial) + " " + fileSystem + " " +
                std::to_string(maxLength) + " " + std::to_string(flags),
            "Audio CD 797755 CDFS 221 " + std::to_string(FILE_READ_ONLY_VOLUME));

  const MCIDEVICEID id = Open();
  char identity[17] = "unchanged";
  MCI_INFO_PARMSA info{Callback(), identity, sizeof identity};
  ASSERT_EQ(mciSendCommandA(id, MCI_INFO, MCI_WAIT | MCI_INFO_MEDIA_IDENTITY,
                            reinterpret_cast<DWORD_PTR>(&info)),
            0u);
  EXPECT_STREQ(identity, "797755");

  // The user takes the disc out while it plays: the play is aborted, the disc is gone for both.
  ASSERT_EQ(Play(id, MCI_NOTIFY), 0u);
  emu::EjectDisc(machine, 'D');
  EXPECT_EQ(Delivered(), Outcomes{MCI_NOTIFY_ABORTED});
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_OPEN));
  EXPECT_EQ(mciSendCommandA(id, MCI_INFO, MCI_WAIT | MCI_INFO_MEDIA_IDENTITY,
                            reinterpret_cast<DWORD_PTR>(&info)),
            static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY));
  EXPECT_FALSE(
      GetVolumeInformationA("D:", label, sizeof label, &serial, nullptr, nullptr, nullptr, 0));
  // A disc that cannot go in says why and changes nothing.
  EXPECT_NE(emu::InsertDisc(machine, 'D', cdaudio::Disc{}), "");
  EXPECT_NE(emu::InsertDisc(machine, 'Q', WorkedExample()), "");
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_OPEN));
}

TEST_F(Winmm, CompletionsArePostedAfterTheCommandWithTheirOutcomeAndDevice) {
  emu::SetNotifyAtEnd(machine, true);
  const MCIDEVICEID id = Open();
  // Successful: the play reaches its end on the machine's clock.
  ASSERT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, Msf(11, 59)), 0u);
  EXPECT_TRUE(g_notices.empty()) << "nothing is delivered inside the call";
  machine.Advance(999);
  EXPECT_TRUE(Delivered().empty());
  machine.Advance(1);
  ASSERT_EQ(Delivered(), Outcomes{MCI_NOTIFY_SUCCESSFUL});

  // Aborted: a stop interrupts the play; the stop reports itself.
  ASSERT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, Msf(0, 2)), 0u);
  ASSERT_EQ(Generic(id, MCI_STOP, MCI_WAIT | MCI_NOTIFY), 0u);
  EXPECT_EQ(Delivered(), (Outcomes{MCI_NOTIFY_ABORTED, MCI_NOTIFY_SUCCESSFUL}));
  // A failing command posts nothing.
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

TEST_F(Winmm, PauseAndResumeAsThePlatformsDriverAnswers) {
  const struct {
    const char* name;
    emu::Platform platform;
    MCIERROR idleResume;  // with nothing paused
    DWORD pausedMode;
    MCIERROR resume;
  } kPlatforms[] = {
      // NT's driver reads a pause as a stop; it still resumes.
      {"NT", emu::Platform::NT, MCIERR_HARDWARE, MCI_MODE_STOP, 0},
      // Windows 9x drivers refuse MCI_RESUME, paused or not.
      {"9x", emu::Platform::Win9x, MCIERR_UNSUPPORTED_FUNCTION, MCI_MODE_PAUSE,
       MCIERR_UNSUPPORTED_FUNCTION},
  };
  for (const auto& p : kPlatforms) {
    machine.SetPlatform(p.platform);
    const MCIDEVICEID id = Open();
    EXPECT_EQ(Generic(id, MCI_RESUME, MCI_WAIT), p.idleResume) << p.name;
    ASSERT_EQ(Play(id, 0), 0u) << p.name;
    ASSERT_EQ(Generic(id, MCI_PAUSE, MCI_WAIT), 0u) << p.name;
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(p.pausedMode)) << p.name;
    EXPECT_EQ(Generic(id, MCI_RESUME, MCI_WAIT), p.resume) << p.name;
    ASSERT_EQ(Generic(id, MCI_CLOSE, MCI_WAIT), 0u);
  }
}

// NT's driver reports nothing at the end of a play: the request stays pending until a later one
// supersedes it. The 9x machine's driver reports the end, as documented; either can be set.
TEST_F(Winmm, TheEndOfAPlayIsReportedOn9xOnlyUnlessSetOtherwise) {
  machine.SetPlatform(emu::Platform::Win9x);
  EXPECT_TRUE(emu::NotifiesAtEnd(machine));
  MCIDEVICEID id = Open();
  ASSERT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, Msf(11, 59)), 0u);
  machine.Advance(2000);
  EXPECT_EQ(Delivered(), Outcomes{MCI_NOTIFY_SUCCESSFUL});
  ASSERT_EQ(Generic(id, MCI_CLOSE, MCI_WAIT), 0u);

  machine.SetPlatform(emu::Platform::NT);
  EXPECT_FALSE(emu::NotifiesAtEnd(machine));
  id = Open();
  ASSERT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, Msf(11, 59)), 0u);
  machine.Advance(2000);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_STOP));
  // A command that asks for nothing leaves it pending; the next request supersedes it.
  ASSERT_EQ(Generic(id, MCI_STOP, MCI_WAIT), 0u);
  EXPECT_TRUE(Delivered().empty());
  ASSERT_EQ(Generic(id, MCI_STOP, MCI_NOTIFY), 0u);
  EXPECT_EQ(Delivered(), (Outcomes{MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_SUCCESSFUL}));
  emu::SetNotifyAtEnd(machine, true);  // reaches devices already open
  ASSERT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, Msf(11, 59)), 0u);
  machine.Advance(2000);
  EXPECT_EQ(Delivered(), Outcomes{MCI_NOTIFY_SUCCESSFUL});
  // A close aborts one still pending after the end.
  emu::SetNotifyAtEnd(machine, false);
  ASSERT_EQ(Play(id, MCI_NOTIFY | MCI_FROM, Msf(11, 59)), 0u);
  machine.Advance(2000);
  ASSERT_EQ(Generic(id, MCI_CLOSE, MCI_WAIT), 0u);
  EXPECT_EQ(Delivered(), Outcomes{MCI_NOTIFY_ABORTED});
  // Once set, the choice holds whatever the family.
  machine.SetPlatform(emu::Platform::Win9x);
  EXPECT_FALSE(emu::NotifiesAtEnd(machine));
}

TEST_F(Winmm, TheTraceKeepsEveryCommandWithItsNamedFields) {
  emu::ClearMciTrace(machine);
  const MCIDEVICEID id = Open("D:");
  Play(id, MCI_NOTIFY | MCI_FROM, Msf(0, 3), 0xBAD);
  Status(id, MCI_STATUS_POSITION, nullptr, 2);
  machine.FailNext("mciSendCommandA");
  EXPECT_EQ(Generic(id, MCI_STOP, MCI_WAIT), static_cast<MCIERROR>(MCIERR_HARDWARE));
  // Each call as command, device, flags, type and element, from and to (dwTo is not named by
  // the flags), item and track, the value returned and the result (262, the hardware error), in
  // hex.
  std::ostringstream trace;
  for (const auto& c : emu::MciTrace(machine)) {
    trace << std::hex << c.command << " " << c.device << " " << c.flags << " " << c.deviceType
          << " " << c.element << " " << c.from << " " << c.to << " " << c.item << " " << c.track
          << " " << c.returned << " " << c.result << "; ";
  }
  ASSERT_EQ(id, 1u);
  EXPECT_EQ(trace.str(),
            "803 0 2202 cdaudio D: 0 0 0 0 1 0; 806 1 5   300 0 0 0 0 0; "
            "814 1 112   0 0 2 2 2f2004 0; 808 1 2   0 0 0 0 0 106; ");
  EXPECT_EQ(emu::MciTrace(machine)[0].callback, Callback());
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), static_cast<DWORD_PTR>(MCI_MODE_PLAY))
      << "the failed stop reached no driver";
}

TEST_F(Winmm, ErrorTextsAreCutToTheBuffer) {
  char text[128];
  ASSERT_TRUE(mciGetErrorStringA(MCIERR_DEVICE_NOT_READY, text, sizeof text));
  EXPECT_STREQ(text, "The device driver is not ready.");
  ASSERT_TRUE(mciGetErrorStringA(MCIERR_DEVICE_NOT_READY, text, 8));
  EXPECT_STREQ(text, "The dev");
  EXPECT_FALSE(mciGetErrorStringA(999, text, sizeof text));
  EXPECT_FALSE(mciGetErrorStringA(MCIERR_DEVICE_NOT_READY, text, 0));
}

}  // namespace
