#pragma once

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace tessivar::directory {

// Search texts are compared case-insensitively by folding both sides the same way: each code point
// through Unicode simple case folding (so a text keeps its length in characters), written as UTF-8.
// A folded word then matches a folded field exactly where the two match ignoring case.
std::string foldedText(QStringView text);

// A field as the keyword search sees it: blanks trimmed at both ends, then folded.
std::string foldedField(std::string_view utf8);

// The genre field as the keyword search sees it: each comma-separated tag trimmed and folded, the
// tags joined by "," again.
std::string foldedTags(std::string_view utf8);

// Whether the character of a folded text that ends just before byte `at` (before == true) or starts
// at byte `at` is a letter or digit of the Basic Multilingual Plane. Characters beyond it count as
// neither, as they do for the UTF-16 checks elsewhere in the program.
bool letterOrDigitBefore(std::string_view text, std::size_t at);
bool letterOrDigitAt(std::string_view text, std::size_t at);

// Whether word stands in text, ignoring case, as a whole word (no letter or digit right before or
// after it).
bool containsWholeWord(const QString &text, const QString &word);
// The same for UTF-8 texts, without leaving UTF-8 when both are ASCII.
bool containsWholeWord(std::string_view text, std::string_view word);

// One UTF-8 text searched for many words in turn, each answered as containsWholeWord(text, word) would:
// an ASCII text is put in lower case once, any other converted to UTF-16 once (and searched only for words
// its characters that fold to ASCII can spell). Keeps a view of text.
class WholeWordSearch
{
 public:
  explicit WholeWordSearch(std::string_view text);
  bool contains(std::string_view word) const;

 private:
  std::string_view text_;
  bool ascii_;
  std::string lower_;  // in lower case
  QString utf16_;      // when not ascii_
};

}  // namespace tessivar::directory
