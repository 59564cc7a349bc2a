#include "platform/profile/ini_text.h"

namespace profile::detail {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Code page 1252's capitals to their small letters: À-Þ but ×, and Š Œ Ž Ÿ.
char Fold1252(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 0x20);
  if (b == 0x8A || b == 0x8C || b == 0x8E) return static_cast<char>(b + 0x10);
  if (b == 0x9F) return static_cast<char>(0xFF);
  return FoldAscii(c);
}

// Finds `c` as a character of its own, never as the trail byte of a double-byte character: in code
// page 932 a trail byte can be ']' or '\\' and must not end a section name.
std::size_t FindChar(std::string_view s, std::size_t from, char c, unsigned codePage) {
  for (std::size_t i = from; i < s.size(); ++i) {
    if (IsLeadByte(s[i], codePage)) {
      ++i;
    } else if (s[i] == c) {
      return i;
    }
  }
  return std::string_view::npos;
}

// A line ends at CR LF, LF or a lone CR: Windows reads a file of CR line ends line by line too.
std::size_t LineBreakAt(std::string_view text, std::size_t from) {
  return text.find_first_of("\r\n", from);
}

Line ParseLine(std::string_view text, std::size_t begin, unsigned codePage) {
  Line line;
  line.begin = begin;
  std::size_t brk = LineBreakAt(text, begin);
  if (brk == std::string_view::npos) {
    line.content_end = line.end = text.size();
  } else {
    line.content_end = brk;
    line.end = brk + (text.compare(brk, 2, "\r\n") == 0 ? 2 : 1);
  }

  // A byte-order mark is kept in the file but is no part of the first line's text.
  std::size_t content_begin = begin == 0 && HasByteOrderMark(text) ? kByteOrderMark.size() : begin;
  if (content_begin > line.content_end) content_begin = line.content_end;
  std::string_view content = text.substr(content_begin, line.content_end - content_begin);
  std::size_t first = 0;
  while (first < content.size() && IsBlank(content[first])) ++first;
  if (first == content.size()) return line;
  if (content[first] == ';') {
    line.kind = LineKind::kComment;
  } else if (content[first] == '[') {
    std::size_t close = FindChar(content, first + 1, ']', codePage);
    if (close == std::string_view::npos) close = content.size();
    line.kind = LineKind::kSection;
    line.name = TrimBlanks(content.substr(first + 1, close - first - 1));
  } else if (std::size_t eq = FindChar(content, first, '=', codePage);
             eq != std::string_view::npos) {
    line.kind = LineKind::kKey;
    line.name = TrimBlanks(content.substr(first, eq - first));
    line.equals = content_begin + eq;
  }
  return line;
}

}  // namespace

bool HasByteOrderMark(std::string_view text) {
  return text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
}

bool IsLeadByte(char c, unsigned codePage) {
  if (codePage != 932) return false;
  auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool NamesEqual(std::string_view a, std::string_view b, unsigned codePage) {
  if (a.size() != b.size()) return false;
  const auto fold = codePage == 1252 ? &Fold1252 : &FoldAscii;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsLeadByte(a[i], codePage)) {
      if (a[i] != b[i]) return false;
      ++i;
      if (i < a.size() && a[i] != b[i]) return false;
    } else if (fold(a[i]) != fold(b[i])) {
      return false;
    }
  }
  return true;
}

Document::Document(std::string_view text, unsigned codePage) : text_(text), codePage_(codePage) {
  for (std::size_t pos = 0; pos < text_.size();) {
    lines_.push_back(ParseLine(text_, pos, codePage_));
    pos = lines_.back().end;
  }
}

std::vector<Section> Document::Sections() const {
  std::vector<Section> sections;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != LineKind::kSection) continue;
    if (!sections.empty()) sections.back().end = i;
    sections.push_back({i, lines_.size()});
  }
  return sections;
}

std::optional<Section> Document::FindSection(std::string_view name) const {
  for (const Section& s : Sections()) {
    if (NamesEqual(lines_[s.header].name, name, codePage_)) return s;
  }
  return std::nullopt;
}

std::optional<std::size_t> Document::FindKey(const Section& section, std::string_view name) const {
  for (std::size_t i = section.header + 1; i < section.end; ++i) {
    if (lines_[i].kind == LineKind::kKey && NamesEqual(lines_[i].name, name, codePage_)) return i;
  }
  return std::nullopt;
}

std::string_view Document::Value(std::size_t key_line) const {
  const Line& line = lines_[key_line];
  std::string_view value =
      TrimBlanks(text_.substr(line.equals + 1, line.content_end - line.equals - 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string_view Document::NewLine() const {
  std::size_t brk = LineBreakAt(text_, 0);
  if (brk == std::string_view::npos) return "\r\n";
  if (text_.compare(brk, 2, "\r\n") == 0) return "\r\n";
  return text_[brk] == '\r' ? "\r" : "\n";
}

std::string Document::WithValue(std::string_view section, std::string_view key,
                                std::string_view value) const {
  std::string out;
  std::optional<Section> found = FindSection(section);
  if (!found) {
    out = text_;
    if (!lines_.empty() && lines_.back().end == lines_.back().content_end &&
        out.size() > (HasByteOrderMark(out) ? kByteOrderMark.size() : 0)) {
      out += NewLine();
    }
    out.append("[").append(section).append("]").append(NewLine());
    out.append(key).append("=").append(value).append(NewLine());
    return out;
  }

  if (std::optional<std::size_t> k = FindKey(*found, key)) {
    const Line& line = lines_[*k];
    // Keep the spacing the user put after '='; a value of blanks alone counts as empty.
    std::size_t start = line.equals + 1;
    while (start < line.content_end && IsBlank(text_[start])) ++start;
    if (start == line.content_end) start = line.equals + 1;
    out.append(text_.substr(0, start)).append(value).append(text_.substr(line.content_end));
    return out;
  }

  std::size_t anchor = found->header;
  for (std::size_t i = found->header + 1; i < found->end; ++i) {
    if (lines_[i].kind == LineKind::kKey) anchor = i;
  }
  const Line& after = lines_[anchor];
  out.append(text_.substr(0, after.end));
  if (after.end == after.content_end) out += NewLine();
  out.append(key).append("=").append(value);
  // A lone CR before an LF would make one line break of two and swallow the empty line after.
  const bool lf_follows = after.end < text_.size() && text_[after.end] == '\n';
  out.append(lf_follows && NewLine() == "\r" ? "\r\n" : NewLine());
  out.append(text_.substr(after.end));
  return out;
}

std::string Document::WithoutKey(std::string_view section, std::string_view key) const {
  std::vector<bool> drop(lines_.size(), false);
  // Every copy of the key in the section goes, so the key reads as missing afterwards.
  if (std::optional<Section> found = FindSection(section)) {
    for (std::size_t i = found->header + 1; i < found->end; ++i) {
      if (lines_[i].kind == LineKind::kKey && NamesEqual(lines_[i].name, key, codePage_))
        drop[i] = true;
    }
  }
  return WithoutLines(drop);
}

std::string Document::WithoutSection(std::string_view section) const {
  std::vector<bool> drop(lines_.size(), false);
  // Duplicate sections go too: otherwise the next one would surface under the deleted name.
  for (const Section& s : Sections()) {
    if (!NamesEqual(lines_[s.header].name, section, codePage_)) continue;
    for (std::size_t i = s.header; i < s.end; ++i) drop[i] = true;
  }
  return WithoutLines(drop);
}

std::string Document::WithoutLines(const std::vector<bool>& drop) const {
  std::string out;
  out.reserve(text_.size());
  // The byte-order mark stays even when the first line goes.
  if (!drop.empty() && drop[0] && HasByteOrderMark(text_)) out.append(kByteOrderMark);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!drop[i]) out.append(text_.substr(lines_[i].begin, lines_[i].end - lines_[i].begin));
  }
  return out;
}

}  // namespace profile::detail
