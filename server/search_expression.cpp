#include "server/search_expression.h"

#include "server/genre_synonyms.h"

#include <QStringList>

#include <algorithm>

namespace tessivar::directory {

namespace {

constexpr int maxAlternatives = 32;
constexpr int maxWords = 16;
constexpr int maxWordLength = 100;

bool isSeparator(QChar c)
{
  return c == u'+' || c.isSpace() || c.category() == QChar::Other_Control;
}

bool isAsciiWordChar(char c)
{
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Sets ascii, and asciiLower when text is all ASCII.
template <typename T>
void setAsciiLower(const QString &text, T &out)
{
  out.ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
  if (!out.ascii)
    return;
  out.asciiLower.resize(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char c = static_cast<char>(text[i].unicode());
    out.asciiLower[static_cast<std::size_t>(i)] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
}

WordPattern parseWord(QString word)
{
  WordPattern pattern;
  while (!word.isEmpty() && (word.front() == u'`' || word.front() == u'^')) {
    (word.front() == u'`' ? pattern.fieldStart : pattern.wordStart) = true;
    word.remove(0, 1);
  }
  while (!word.isEmpty() && (word.back() == u'$' || word.back() == u'^')) {
    (word.back() == u'$' ? pattern.fieldEnd : pattern.wordEnd) = true;
    word.chop(1);
  }
  pattern.core = word.left(maxWordLength);
  setAsciiLower(pattern.core, pattern);
  return pattern;
}

Alternative parseAlternative(const QString &text)
{
  Alternative words;
  QString current;
  auto finish = [&] {
    if (!current.isEmpty() && static_cast<int>(words.size()) < maxWords) {
      WordPattern word = parseWord(current);
      if (!word.core.isEmpty())
        words.push_back(std::move(word));
    }
    current.clear();
  };
  for (QChar c : text) {
    if (isSeparator(c))
      finish();
    else
      current.append(c);
  }
  finish();
  return words;
}

bool isPlain(const Alternative &alternative)
{
  return std::all_of(alternative.begin(), alternative.end(), [](const WordPattern &w) {
    return !w.fieldStart && !w.wordStart && !w.wordEnd && !w.fieldEnd;
  });
}

QString synonymKey(const Alternative &alternative)
{
  QStringList parts;
  for (const auto &word : alternative)
    parts << word.core.toLower();
  return parts.join(u' ');
}

bool isWordChar(QChar c)
{
  return c.isLetterOrNumber();
}

constexpr int bestMatch = 4; // a whole word at the field's start

int matchScore(const WordPattern &word, bool startsWord, bool endsWord, bool atStart, bool atEnd)
{
  if ((word.fieldStart && !atStart) || (word.fieldEnd && !atEnd) || (word.wordStart && !startsWord) ||
      (word.wordEnd && !endsWord))
    return 0;
  return 1 + (startsWord ? 1 : 0) + (endsWord ? 1 : 0) + (atStart ? 1 : 0);
}

// Word and field both ASCII: their lower-case copies compare byte by byte, as case folding would.
int matchAscii(const WordPattern &word, std::string_view field)
{
  const std::string_view core = word.asciiLower;
  int best = 0;
  for (std::size_t at = field.find(core); at != std::string_view::npos; at = field.find(core, at + 1)) {
    const std::size_t end = at + core.size();
    const bool startsWord = at == 0 || !isAsciiWordChar(field[at - 1]);
    const bool endsWord = end == field.size() || !isAsciiWordChar(field[end]);
    best = std::max(best, matchScore(word, startsWord, endsWord, at == 0, end == field.size()));
    if (best == bestMatch)
      break;
  }
  return best;
}

int matchUnicode(const WordPattern &word, QStringView field)
{
  int best = 0;
  for (qsizetype at = field.indexOf(word.core, 0, Qt::CaseInsensitive); at >= 0;
       at = field.indexOf(word.core, at + 1, Qt::CaseInsensitive)) {
    const qsizetype end = at + word.core.size();
    const bool startsWord = at == 0 || !isWordChar(field[at - 1]);
    const bool endsWord = end == field.size() || !isWordChar(field[end]);
    best = std::max(best, matchScore(word, startsWord, endsWord, at == 0, end == field.size()));
    if (best == bestMatch)
      break;
  }
  return best;
}

// How well one word matches one field: 0 none, 1 inside, 2 at a boundary, 3 a whole word, +1 at the start.
int matchIn(const WordPattern &word, const FieldText &field)
{
  if (word.ascii && field.ascii)
    return matchAscii(word, field.asciiLower);
  return matchUnicode(word, field.text);
}

int matchTags(const WordPattern &word, const std::vector<FieldText> &tags)
{
  int best = 0;
  for (const FieldText &tag : tags) {
    best = std::max(best, matchIn(word, tag));
    if (best == bestMatch)
      break;
  }
  return best;
}

int wordScore(const WordPattern &word, SearchScope scope, const EntryText &entry)
{
  if (scope == SearchScope::GenreOnly)
    return matchTags(word, entry.tags) * 4;
  // The best field counts; a field whose most cannot beat the best so far is not looked at.
  int best = matchIn(word, entry.name) * 8; // up to 32
  if (best < 16)
    best = std::max(best, matchTags(word, entry.tags) * 4); // up to 16
  if (best < 8)
    best = std::max(best, matchIn(word, entry.location) * 2); // up to 8
  if (best < 4)
    best = std::max(best, matchIn(word, entry.format)); // up to 4
  return best;
}

}  // namespace

SearchExpression parseSearchText(std::string_view text, SearchScope scope)
{
  SearchExpression expression;
  const QString all = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  for (const QString &part : all.split(u',', Qt::SkipEmptyParts)) {
    Alternative alternative = parseAlternative(part);
    if (alternative.empty())
      continue;
    if (scope == SearchScope::GenreOnly && isPlain(alternative)) {
      const auto &synonyms = genreSynonyms(synonymKey(alternative).toStdString());
      if (!synonyms.empty()) {
        for (const auto &synonym : synonyms)
          expression.alternatives.push_back(parseAlternative(QString::fromStdString(synonym)));
        continue;
      }
    }
    expression.alternatives.push_back(std::move(alternative));
  }
  if (expression.alternatives.size() > maxAlternatives)
    expression.alternatives.resize(maxAlternatives);
  return expression;
}

FieldText prepareField(QStringView text)
{
  FieldText field;
  field.text = text.trimmed().toString();
  setAsciiLower(field.text, field);
  return field;
}

EntryText prepareEntryText(const QString &name, const QString &format, const QString &location,
                           const QString &genre)
{
  EntryText entry{prepareField(name), prepareField(format), prepareField(location), {}};
  for (QStringView tag : QStringView(genre).split(u','))
    entry.tags.push_back(prepareField(tag));
  return entry;
}

int alternativeScore(const Alternative &alternative, SearchScope scope, const EntryText &entry)
{
  int total = 0;
  for (const auto &word : alternative) {
    const int score = wordScore(word, scope, entry);
    if (score == 0)
      return 0;
    total += score;
  }
  return total;
}

int relevance(const SearchExpression &expression, SearchScope scope, const EntryText &entry)
{
  int best = 0;
  for (const auto &alternative : expression.alternatives)
    best = std::max(best, alternativeScore(alternative, scope, entry));
  return best;
}

}  // namespace tessivar::directory
