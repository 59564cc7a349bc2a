#include <gtest/gtest.h>

#include "platform/cdaudio/constants.h"
#include "platform/cdaudio/errors.h"

namespace cdaudio {
namespace {

// Every number the driver and winmm answer has a text (the ones the program shows, word for
// word); no other number has one.
TEST(ErrorText, EveryNumberMciAnswersHasItsTextAndNoOtherHasOne) {
  const struct {
    uint32_t error;
    const char* text;  // null: any text of some length
  } kKnown[] = {
      {276, "The device driver is not ready."},
      {274, "The MCI device you are using does not support the specified command."},
      {261, "The driver cannot recognize the specified command."},
      {282, "The specified parameter is out of range for the specified command."},
      {257, "The specified device is not open or is not recognized by MCI."},
      {273, "The specified command requires a parameter. Please supply one."},
      {kErrHardware, nullptr},
      {kErrInvalidDeviceName, nullptr},
      {kErrCannotLoadDriver, nullptr},
      {kErrParamOverflow, nullptr},
      {kErrFlagsNotCompatible, nullptr},
      {kErrMustUseShareable, nullptr},
      {kErrBadTimeFormat, nullptr},
      {kErrMissingDeviceName, nullptr},
      {kErrInvalidFile, nullptr},
      {kErrNullParameterBlock, nullptr},
  };
  for (const auto& k : kKnown) {
    const auto text = ErrorText(k.error);
    ASSERT_TRUE(text) << k.error;
    if (k.text) {
      EXPECT_EQ(*text, k.text);
    }
    EXPECT_GT(text->size(), 10u) << k.error;
  }
  for (uint32_t error : {1u, 256u, 258u, 283u, 350u, 512u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(ErrorText(error)) << error;
  }
}

}  // namespace
}  // namespace cdaudio
