#pragma once

// Parsing and editing of INI text held as bytes of the system's ANSI code page (932 or 1252). Edits
// work on byte offsets into the original text so that every line they do not touch is carried over
// unchanged.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace profile::detail {

// The first byte of a double-byte character; code page 1252 has none.
bool IsLeadByte(char c, unsigned codePage = 932);

// A UTF-8 byte-order mark at the start of a file is kept byte for byte and skipped when the first
// line is read, so the section it stands before is found (docs/ARCHITECTURE.md, profile functions).
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
bool HasByteOrderMark(std::string_view text);

// Blanks are spaces and tabs; neither can be the trail byte of a double-byte character, so trimming
// from either end never cuts a character in two.
std::string_view TrimBlanks(std::string_view s);

// Letters compare without case (ASCII, and in code page 1252 its accented letters too); a
// double-byte character compares exactly, trail byte included.
bool NamesEqual(std::string_view a, std::string_view b, unsigned codePage = 932);

enum class LineKind { kOther, kComment, kSection, kKey };

struct Line {
  std::size_t begin = 0;        // first byte
  std::size_t content_end = 0;  // first byte of the line break, or the end of the text
  std::size_t end = 0;          // past the line break (CR LF, LF or a lone CR)
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section or key name, blanks trimmed
  std::size_t equals = 0;  // keys: offset of the '='
};

// Lines [header, end) of one section; `header` is the index of its "[name]" line.
struct Section {
  std::size_t header = 0;
  std::size_t end = 0;
};

class Document {
 public:
  explicit Document(std::string_view text, unsigned codePage = 932);

  std::string_view text() const { return text_; }
  const std::vector<Line>& lines() const { return lines_; }

  std::vector<Section> Sections() const;
  std::optional<Section> FindSection(std::string_view name) const;
  std::optional<std::size_t> FindKey(const Section& section, std::string_view name) const;

  // The key's value without surrounding blanks and without one pair of matching quotes.
  std::string_view Value(std::size_t key_line) const;

  // The text with the edit applied. Names must already be trimmed.
  std::string WithValue(std::string_view section, std::string_view key,
                        std::string_view value) const;
  std::string WithoutKey(std::string_view section, std::string_view key) const;
  std::string WithoutSection(std::string_view section) const;

 private:
  std::string_view NewLine() const;
  std::string WithoutLines(const std::vector<bool>& drop) const;

  std::string_view text_;
  unsigned codePage_;
  std::vector<Line> lines_;
};

}  // namespace profile::detail
