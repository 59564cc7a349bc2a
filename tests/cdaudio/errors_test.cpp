#include <gtest/gtest.h>

#include "platform/cdaudio/constants.h"
#include "platform/cdaudio/errors.h"

namespace cdaudio {
namespace {

// Every number the driver and winmm answer has a text (the ones the program shows, word for
// word); no other number has one, with one exception below.
TEST(ErrorText, EveryNumberMciAnswersHasItsTextAndNoOtherHasOne) {
  const std::pair<uint32_t, const char*> kKnown[] = {
      {276, "The device driver is not ready."},
      {274, "The MCI device you are using does not support the specified command."},
      {261, "The driver cannot recognize the specified command."},
      {282, "The specified parameter is out of range for the specified command."},
      {257, "The specified device is not open or is not recognized by MCI."},
      {273, "The specified command requires a parameter. Please supply one."},
  };
  for (uint32_t error :
       {kErrHardware, kErrInvalidDeviceName, kErrCannotLoadDriver, kErrParamOverflow,
        kErrFlagsNotCompatible, kErrMustUseShareable, kErrBadTimeFormat, kErrMissingDeviceName,
        kErrInvalidFile, kErrNullParameterBlock}) {
    EXPECT_GT(ErrorText(error).value_or("").size(), 10u) << error;
  }
  for (const auto& [error, text] : kKnown) EXPECT_EQ(ErrorText(error).value_or(""), text) << error;
  // The one exception: MCIERR_NO_IDENTITY, the answer for a catalogue number no disc here has,
  // which has no text in Wine's table either (whose MCI texts are Windows' word for word) and
  // which the program never shows.
  for (uint32_t error : {1u, 256u, 258u, 283u, kErrNoIdentity, 512u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(ErrorText(error)) << error;
  }
}

}  // namespace
}  // namespace cdaudio
