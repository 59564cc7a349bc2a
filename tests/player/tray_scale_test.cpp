// The tray image at the notification area's scale: 16 pixels at 96 DPI, loaded as it always was,
// and the small-icon size of the screen above it, from an image drawn for that size.
#include <vector>

#include "PlayerScenario.h"
#include "platform/emu/dialog_control.h"
#include "platform/emu/image_control.h"

namespace player_test {
namespace {

struct Scale {
  int dpi;
  bool perMonitorDpi;  // Windows 10 1607 and later
  int size;            // what the shell is given
};

class TrayScale : public PlayerScenario, public ::testing::WithParamInterface<Scale> {
 protected:
  // Every image the program handed the shell, oldest first (a tip change repeats the image).
  std::vector<HICON> ShellImages() {
    std::vector<HICON> images;
    for (const emu::ShellCall& call : emu::ShellTrace(machine_)) {
      if (images.empty() || images.back() != call.icon) images.push_back(call.icon);
    }
    return images;
  }
};

TEST_P(TrayScale, EveryImageTheShellGetsHasTheSmallIconSize) {
  const Scale scale = GetParam();
  emu::SetScreenDpi(machine_, scale.dpi);
  emu::SetPerMonitorDpi(machine_, scale.perMonitorDpi);
  Do(std::string("drive D: cdrom\ndisc D: ") + kThreeTracks + "\nstart\n");
  Choose("Play");
  Choose("Pause");
  Do("eject D:\nwait 1500\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");

  const std::vector<HICON> images = ShellImages();
  // Added with the form definition's plain disc, then STOP, PLAY, PAUSE and NOCD.
  ASSERT_EQ(images.size(), 5u);
  const char* names[] = {"ZCD", "STOP", "PLAY", "PAUSE", "NOCD"};
  for (size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(emu::ImageName(images[i]), names[i]);
    const std::optional<emu::IconImage> image = emu::IconImageOf(machine_, images[i]);
    if (scale.size == 16) {
      // The classic screen: LoadIconA's shared icon, the same handle as ever.
      EXPECT_EQ(image, std::nullopt);
      EXPECT_EQ(images[i], LoadIconA(GetModuleHandleA(nullptr), names[i]));
    } else {
      // A stored image of exactly that size: nothing is stretched.
      EXPECT_EQ(image, (emu::IconImage{scale.size, scale.size, scale.size, scale.size}));
    }
  }
}

// The form definition's image is loaded again at the larger size; when that load fails the icon
// keeps the image it had rather than going blank.
using TrayScaleAtStart = PlayerScenario;

TEST_F(TrayScaleAtStart, ARefusedLargerImageKeepsTheClassicOne) {
  emu::SetScreenDpi(machine_, 144);
  Do(std::string("drive D: cdrom\ndisc D: ") + kThreeTracks + "\nfail LoadImageA\nstart\n");
  const std::vector<emu::ShellCall> calls = emu::ShellTrace(machine_);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().image, "ZCD");
  EXPECT_EQ(emu::IconImageOf(machine_, calls.front().icon), std::nullopt);
  EXPECT_EQ(emu::IconImageOf(machine_, calls.back().icon), (emu::IconImage{24, 24, 24, 24}));
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
}

INSTANTIATE_TEST_SUITE_P(Screens, TrayScale,
                         ::testing::Values(Scale{96, false, 16}, Scale{96, true, 16},
                                           Scale{120, false, 20}, Scale{120, true, 20},
                                           Scale{144, false, 24}, Scale{144, true, 24},
                                           Scale{192, false, 32}, Scale{192, true, 32}),
                         [](const ::testing::TestParamInfo<Scale>& info) {
                           return std::to_string(info.param.dpi) +
                                  (info.param.perMonitorDpi ? "_Windows10" : "_Older");
                         });

}  // namespace
}  // namespace player_test
