#include "platform/cdaudio/errors.h"

#include <algorithm>
#include <iterator>

namespace cdaudio {
namespace {

struct Entry {
  uint32_t error;
  std::string_view text;
};

// Sorted by number.
constexpr Entry kTexts[] = {
    {0, "The specified command was carried out."},
    {257, "The specified device is not open or is not recognized by MCI."},
    {259, "The driver cannot recognize the specified command parameter."},
    {261, "The driver cannot recognize the specified command."},
    {262,
     "There is a problem with your media device. Make sure it is working correctly or contact the "
     "device manufacturer."},
    {263, "The specified device is not open or is not recognized by MCI."},
    {264,
     "Your system does not have enough memory for this task. Quit one or more applications to "
     "increase available memory, and then try again."},
    {265,
     "The device name is already being used as an alias by this application. Use a unique alias."},
    {266, "There is an undetectable problem in loading the specified device driver."},
    {267, "No command was specified."},
    {268,
     "The output string was too large to fit in the return buffer. Increase the size of the "
     "buffer."},
    {272,
     "There is a problem with the device driver. Check with the device manufacturer about "
     "obtaining a new driver."},
    {273, "The specified command requires a parameter. Please supply one."},
    {274, "The MCI device you are using does not support the specified command."},
    {276, "The device driver is not ready."},
    {277, "A problem occurred in initializing MCI. Try restarting Windows."},
    {282, "The specified parameter is out of range for the specified command."},
    {284, "The specified parameters cannot be used together."},
    {289, "The specified alias is already being used in this application. Use a unique alias."},
    {290, "The specified parameter is invalid for this command."},
    {291,
     "The device driver is already in use. To share it, use the 'shareable' parameter with each "
     "'open' command."},
    {292,
     "The specified command requires an alias, file, driver, or device name. Please supply one."},
    {293,
     "The specified value for the time format is invalid. Refer to the MCI documentation for "
     "valid formats."},
    {295, "A parameter or value was specified twice. Only specify it once."},
    {296,
     "The specified file cannot be played on the specified MCI device. The file may be corrupt, "
     "or not in the correct format."},
    {297, "A null parameter block was passed to MCI."},
    {301, "Cannot use a filename with the specified device."},
    {306,
     "The specified device is not installed on the system. Use the Drivers option in Control "
     "Panel to install the device."},
};

}  // namespace

std::optional<std::string_view> ErrorText(uint32_t error) {
  const auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), error,
                                   [](const Entry& e, uint32_t n) { return e.error < n; });
  if (it == std::end(kTexts) || it->error != error) return std::nullopt;
  return it->text;
}

}  // namespace cdaudio
