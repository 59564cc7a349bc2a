// The integer rule (StrToIntDef) against a reference written from its documented rule: decimal
// with an optional sign, or hexadecimal after "$" or "0x"; the whole text; 32-bit signed range.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "toolkit/SysUtils.h"

namespace {

std::optional<int32_t> Reference(std::string_view text) {
  int base = 10;
  bool negative = false;
  if (!text.empty() && text[0] == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    int digit = c >= '0' && c <= '9'                 ? c - '0'
                : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
    if (digit < 0) return std::nullopt;
    // Past 2^32 the value is out of range whatever follows; stop growing there.
    value = value * base + digit;
    if (value > (int64_t{1} << 32)) value = int64_t{1} << 32;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (int32_t fallback : {int32_t{-7}, INT32_MIN}) {
    const int32_t expected = Reference(text).value_or(fallback);
    if (vcl::StrToIntDef(text, fallback) != expected) std::abort();
  }
  return 0;
}
