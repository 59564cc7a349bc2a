#include "toolkit/SysUtils.h"

#include <charconv>

namespace vcl {

size_t LastCharOffset(std::string_view text) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < text.size();) {
    last = i;
    i += (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
  }
  return last;
}

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
  int base = 10;
  bool negative = false;
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '$') {
    base = 16;
    digits.remove_prefix(1);
  } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  } else if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return fallback;
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (ec != std::errc() || end != digits.data() + digits.size()) return fallback;
  if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull) return fallback;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(value))
                  : static_cast<int32_t>(value);
}

std::optional<std::basic_string<WCHAR>> WidenCodePage932(const std::string& text) {
  if (text.empty()) return std::basic_string<WCHAR>();
  constexpr UINT kCodePage = 932;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(kCodePage, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::basic_string<WCHAR> wide(static_cast<size_t>(length), WCHAR{0});
  MultiByteToWideChar(kCodePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string IntToStr(int64_t value) {
  return std::to_string(value);
}

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  auto arg = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && arg != args.end()) {
      out += *arg++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace vcl
