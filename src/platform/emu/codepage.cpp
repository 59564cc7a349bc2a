// kernel32's MultiByteToWideChar for the machine's code page (932), over iconv.
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "platform/emu/shell_internal.h"

namespace emu {
namespace {

// What Windows puts in place of bytes that code page 932 cannot map: KATAKANA MIDDLE DOT.
constexpr char16_t kDefaultWide = 0x30FB;
constexpr char kDefaultNarrow = '?';

// One conversion with its own descriptor (iconv keeps shift state in it). `skip` is how many input
// bytes a character that cannot be converted takes, `fallback` what stands in for it.
std::string Convert(const char* to, const char* from, std::string_view in, size_t skip,
                    std::string_view fallback) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out;
  char buffer[256];
  while (!in.empty()) {
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    const int error = errno;
    out.append(buffer, static_cast<size_t>(dst - buffer));
    in.remove_prefix(in.size() - srcLeft);
    if (rc == static_cast<size_t>(-1) && error != E2BIG) {
      out.append(fallback);
      in.remove_prefix(std::min(skip, in.size()));
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::u16string WidenCodePage932(std::string_view text) {
  const char16_t fallback[] = {kDefaultWide};
  std::string bytes = Convert("UTF-16LE", "CP932", text, 1,
                              std::string_view(reinterpret_cast<const char*>(fallback), 2));
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return out;
}

std::string NarrowCodePage932(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return Convert("CP932", "UTF-16LE", bytes, 2, std::string_view(&kDefaultNarrow, 1));
}

}  // namespace emu

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr, int multiByteCount,
                        LPWSTR wideCharStr, int wideCharCount) {
  // Only the machine's own code page is there; no flag changes its answer here.
  if ((codePage != 932 && codePage != CP_ACP) || flags != 0 || !multiByteStr ||
      multiByteCount == 0 || multiByteCount < -1 || wideCharCount < 0 ||
      (wideCharCount > 0 && !wideCharStr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // -1: the text and its terminating zero.
  size_t length =
      multiByteCount == -1 ? std::strlen(multiByteStr) + 1 : static_cast<size_t>(multiByteCount);
  std::u16string wide = emu::WidenCodePage932(std::string_view(multiByteStr, length));
  if (wideCharCount == 0) return static_cast<int>(wide.size());
  if (wide.size() > static_cast<size_t>(wideCharCount)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  for (size_t i = 0; i < wide.size(); ++i) wideCharStr[i] = static_cast<WCHAR>(wide[i]);
  return static_cast<int>(wide.size());
}
