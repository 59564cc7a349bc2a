#include "CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

namespace sim {
namespace {

// iconv descriptors carry conversion state, so each call gets its own.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in` as far as it can; `in` is left at the first byte that could not be converted.
  void Run(std::string_view& in, std::string& out) {
    char buffer[256];
    while (!in.empty()) {
      char* src = const_cast<char*>(in.data());
      size_t srcLeft = in.size();
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      const size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, static_cast<size_t>(dst - buffer));
      in.remove_prefix(in.size() - srcLeft);
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) return;
    }
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::optional<std::string> ToCodePage(std::string_view utf8, unsigned codePage) {
  Converter converter(codePage == 1252 ? "CP1252" : "CP932", "UTF-8");
  if (!converter.ok()) return std::nullopt;
  std::string out;
  converter.Run(utf8, out);
  if (!utf8.empty()) return std::nullopt;
  return out;
}

std::string FromCodePage(std::string_view cp932) {
  Converter converter("UTF-8", "CP932");
  std::string out;
  while (!cp932.empty()) {
    if (converter.ok()) converter.Run(cp932, out);
    if (cp932.empty()) break;
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(cp932.front()));
    out += escaped;
    cp932.remove_prefix(1);
  }
  return out;
}

std::string QuotedText(std::string_view cp932) {
  std::string shown;
  for (char c : FromCodePage(cp932)) {
    if (c == '"') {
      shown += "\\\"";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c != '\r') {
      shown += c;
    }
  }
  return "\"" + shown + "\"";
}

}  // namespace sim
