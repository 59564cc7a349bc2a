// Exceptions and the few text helpers the program needs. Text is code page 932 bytes throughout.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/win32.h"

namespace vcl {

// The root of every error the program raises: an object carrying a message text.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

class EOutOfMemory : public Exception {
  using Exception::Exception;
};
class EOutOfResources : public Exception {
  using Exception::Exception;
};
class EConvertError : public Exception {
  using Exception::Exception;
};
class EIniFileException : public Exception {
  using Exception::Exception;
};
class EReadError : public Exception {
  using Exception::Exception;
};
class EInvalidOperation : public Exception {
  using Exception::Exception;
};

// True when byte `c` starts a two-byte character in code page 932.
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Offset of the last character of `text` (its lead byte for a two-byte character); npos if empty.
size_t LastCharOffset(std::string_view text);

// Integer from text: decimal with an optional sign, or hexadecimal after "$" or "0x"/"0X". Text
// that is not wholly such a number within the 32-bit signed range gives `fallback`.
int32_t StrToIntDef(std::string_view text, int32_t fallback);
std::string IntToStr(int64_t value);

// The program's code page 932 text as UTF-16, for the wide-character functions that show it the
// same on a Windows of any locale. Empty when the system cannot convert it.
std::optional<std::basic_string<WCHAR>> WidenCodePage932(const std::string& text);

// Replaces each "%s" of `pattern`, in order, by the arguments.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace vcl
