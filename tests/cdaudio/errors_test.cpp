#include <gtest/gtest.h>

#include "platform/cdaudio/constants.h"
#include "platform/cdaudio/errors.h"

namespace cdaudio {
namespace {

TEST(ErrorText, KnownTexts) {
  EXPECT_EQ(ErrorText(276), "The device driver is not ready.");
  EXPECT_EQ(ErrorText(274), "The MCI device you are using does not support the specified command.");
  EXPECT_EQ(ErrorText(261), "The driver cannot recognize the specified command.");
  EXPECT_EQ(ErrorText(282), "The specified parameter is out of range for the specified command.");
  EXPECT_EQ(ErrorText(257), "The specified device is not open or is not recognized by MCI.");
  EXPECT_EQ(ErrorText(273), "The specified command requires a parameter. Please supply one.");
}

TEST(ErrorText, EveryNumberTheDriverAnswersHasOne) {
  for (uint32_t error :
       {kErrInvalidDeviceId, kErrUnrecognizedCommand, kErrHardware, kErrInvalidDeviceName,
        kErrCannotLoadDriver, kErrParamOverflow, kErrMissingParameter, kErrUnsupportedFunction,
        kErrDeviceNotReady, kErrOutOfRange, kErrFlagsNotCompatible, kErrMustUseShareable,
        kErrBadTimeFormat}) {
    const auto text = ErrorText(error);
    ASSERT_TRUE(text) << error;
    EXPECT_GT(text->size(), 10u) << error;
  }
}

TEST(ErrorText, UnknownNumbersHaveNone) {
  for (uint32_t error : {1u, 256u, 258u, 283u, 350u, 512u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(ErrorText(error)) << error;
  }
}

}  // namespace
}  // namespace cdaudio
