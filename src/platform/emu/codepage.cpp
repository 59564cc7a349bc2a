// kernel32's MultiByteToWideChar over the machine's two code pages (932 through iconv, 1252 from
// its table), and the conversion every A call makes between its caller's bytes and what the
// machine keeps.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

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

// Code page 1252's 0x80-0x9F; the rest is Latin-1. Windows maps the five bytes the code page leaves
// undefined to the C1 controls of the same value, so every byte widens and narrows back unchanged.
constexpr char16_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::u16string Widen1252(std::string_view text) {
  std::u16string out;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    out += b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : static_cast<char16_t>(b);
  }
  return out;
}

std::string Narrow1252(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    const auto* hit = std::find(std::begin(kHigh1252), std::end(kHigh1252), c);
    out +=
        hit == std::end(kHigh1252) ? kDefaultNarrow : static_cast<char>(0x80 + (hit - kHigh1252));
  }
  return out;
}

// The texts of wide calls on their way through the A form of the same call: already what the
// machine keeps, so the A form takes them as they are. Known by address, so no text of the program
// is ever mistaken for one.
thread_local std::vector<const char*> t_machineTexts;

}  // namespace

std::u16string WideString(const WCHAR* wide) {
  std::u16string s;
  for (const WCHAR* p = wide; p && *p; ++p) s += static_cast<char16_t>(*p);
  return s;
}

MachineText::MachineText(std::u16string_view wide) : text_(NarrowCodePage932(wide)) {
  t_machineTexts.push_back(text_.c_str());
}

MachineText::MachineText(const WCHAR* wide) : MachineText(WideString(wide)) {}

MachineText::~MachineText() {
  t_machineTexts.erase(std::find(t_machineTexts.begin(), t_machineTexts.end(), text_.c_str()));
}

std::string StoredText(const char* ansi) {
  if (!ansi) return std::string();
  if (Impl().ansiCodePage == 932 ||
      std::find(t_machineTexts.begin(), t_machineTexts.end(), ansi) != t_machineTexts.end()) {
    return ansi;
  }
  return NarrowCodePage932(Widen1252(ansi));
}

std::string AnsiText(std::string_view stored) {
  if (Impl().ansiCodePage == 932) return std::string(stored);
  return Narrow1252(WidenCodePage932(stored));
}

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
  // The machine has its ANSI code page and 932, whichever is its own; no flag changes an answer.
  if (codePage == CP_ACP) codePage = emu::Impl().ansiCodePage;
  if ((codePage != 932 && codePage != 1252) || flags != 0 || !multiByteStr || multiByteCount == 0 ||
      multiByteCount < -1 || wideCharCount < 0 || (wideCharCount > 0 && !wideCharStr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // -1: the text and its terminating zero.
  size_t length =
      multiByteCount == -1 ? std::strlen(multiByteStr) + 1 : static_cast<size_t>(multiByteCount);
  const std::string_view bytes(multiByteStr, length);
  std::u16string wide = codePage == 932 ? emu::WidenCodePage932(bytes) : emu::Widen1252(bytes);
  if (wideCharCount == 0) return static_cast<int>(wide.size());
  if (wide.size() > static_cast<size_t>(wideCharCount)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  for (size_t i = 0; i < wide.size(); ++i) wideCharStr[i] = static_cast<WCHAR>(wide[i]);
  return static_cast<int>(wide.size());
}
