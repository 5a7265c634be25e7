#include "server/folded_text.h"

#include <QChar>
#include <QList>
#include <QString>

#include <algorithm>
#include <cctype>

namespace tessivar::directory {

namespace {

void appendUtf8(std::string &out, char32_t c)
{
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The code point starting at byte i of valid UTF-8.
char32_t decodeAt(std::string_view text, std::size_t i)
{
  const auto c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) return c;
  int length = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
  char32_t value = c & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
  for (int k = 1; k < length && i + static_cast<std::size_t>(k) < text.size(); ++k)
    value = (value << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
  return value;
}

bool isBmpLetterOrDigit(char32_t c)
{
  return c < 0x10000 && QChar::isLetterOrNumber(c);
}

bool isAscii(std::string_view text)
{
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c)
{
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool isAsciiSpace(char c)
{
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// What trimming and folding do to an ASCII text: blanks off both ends, letters to lower case.
std::string foldedAscii(std::string_view text)
{
  while (!text.empty() && isAsciiSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isAsciiSpace(text.back())) text.remove_suffix(1);
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), asciiLower);
  return out;
}

}  // namespace

std::string foldedText(QStringView text)
{
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      ++i;
    }
    appendUtf8(out, QChar::toCaseFolded(c));
  }
  return out;
}

std::string foldedField(std::string_view utf8)
{
  if (isAscii(utf8)) return foldedAscii(utf8);
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  return foldedText(QStringView(text).trimmed());
}

std::string foldedTags(std::string_view utf8)
{
  if (isAscii(utf8)) {
    std::string out;
    for (std::size_t from = 0;;) {
      const std::size_t comma = std::min(utf8.find(',', from), utf8.size());
      out += foldedAscii(utf8.substr(from, comma - from));
      if (comma == utf8.size()) return out;
      out.push_back(',');
      from = comma + 1;
    }
  }
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  std::string out;
  bool first = true;
  for (QStringView tag : QStringView(text).split(u',')) {
    if (!first) out.push_back(',');
    first = false;
    out += foldedText(tag.trimmed());
  }
  return out;
}

bool letterOrDigitBefore(std::string_view text, std::size_t at)
{
  if (at == 0) return false;
  std::size_t start = at - 1;
  while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  return isBmpLetterOrDigit(decodeAt(text, start));
}

bool letterOrDigitAt(std::string_view text, std::size_t at)
{
  return at < text.size() && isBmpLetterOrDigit(decodeAt(text, at));
}

bool containsWholeWord(std::string_view text, std::string_view word)
{
  if (word.empty() || !isAscii(text) || !isAscii(word)) {
    return containsWholeWord(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                             QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size())));
  }
  const auto sameLetter = [](char a, char b) { return asciiLower(a) == asciiLower(b); };
  const auto alnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
  for (auto at = text.begin();; ++at) {
    at = std::search(at, text.end(), word.begin(), word.end(), sameLetter);
    if (at == text.end()) return false;
    const auto end = at + static_cast<std::ptrdiff_t>(word.size());
    if ((at == text.begin() || !alnum(at[-1])) && (end == text.end() || !alnum(*end))) return true;
  }
}

bool containsWholeWord(const QString &text, const QString &word)
{
  qsizetype from = 0;
  while (true) {
    const qsizetype at = text.indexOf(word, from, Qt::CaseInsensitive);
    if (at < 0) return false;
    const qsizetype end = at + word.size();
    if ((at == 0 || !text[at - 1].isLetterOrNumber()) &&
        (end == text.size() || !text[end].isLetterOrNumber()))
      return true;
    from = at + 1;
  }
}

WholeWordSearch::WholeWordSearch(std::string_view text) : text_(text), ascii_(isAscii(text))
{
  if (ascii_) {
    lower_.assign(text);
    std::transform(lower_.begin(), lower_.end(), lower_.begin(), asciiLower);
  } else {
    // lower_ then keeps a character for each UTF-16 unit: what it folds to when that is ASCII (a Kelvin
    // sign is a "k"), otherwise a byte no word has. A word absent from it cannot match in the text.
    utf16_ = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    lower_.reserve(static_cast<std::size_t>(utf16_.size()));
    for (const QChar unit : std::as_const(utf16_)) {
      const char16_t folded = unit.toCaseFolded().unicode();
      lower_.push_back(folded < 0x80 ? static_cast<char>(folded) : '\x80');
    }
  }
}

bool WholeWordSearch::contains(std::string_view word) const
{
  if (word.empty() || !isAscii(word)) return containsWholeWord(text_, word);
  std::string lowerWord(word);
  std::transform(lowerWord.begin(), lowerWord.end(), lowerWord.begin(), asciiLower);
  if (!ascii_) {
    if (lower_.find(lowerWord) == std::string::npos) return false;
    return containsWholeWord(utf16_, QString::fromLatin1(word.data(), static_cast<qsizetype>(word.size())));
  }
  const auto alnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
  for (std::size_t at = lower_.find(lowerWord); at != std::string::npos;
       at = lower_.find(lowerWord, at + 1)) {
    const std::size_t end = at + lowerWord.size();
    if ((at == 0 || !alnum(lower_[at - 1])) && (end == lower_.size() || !alnum(lower_[end]))) return true;
  }
  return false;
}

}  // namespace tessivar::directory
