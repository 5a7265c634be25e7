#include "server/search_expression.h"

#include "server/folded_text.h"
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
  // A cut between the two halves of a surrogate pair would leave half a character to look for.
  qsizetype length = std::min(word.size(), qsizetype(maxWordLength));
  if (length < word.size() && word[length - 1].isHighSurrogate()) --length;
  pattern.core = word.left(length);
  pattern.folded = foldedText(pattern.core);
  return pattern;
}

Alternative parseAlternative(const QString &text)
{
  Alternative words;
  QString current;
  auto finish = [&] {
    if (!current.isEmpty() && static_cast<int>(words.size()) < maxWords) {
      WordPattern word = parseWord(current);
      if (!word.core.isEmpty()) words.push_back(std::move(word));
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
  for (const auto &word : alternative) parts << word.core.toLower();
  return parts.join(u' ');
}

// How well one word matches the part [begin, end) of a folded field: 0 none, 1 inside, 2 at a
// boundary, 3 a whole word, +1 at the start.
int matchIn(const WordPattern &word, std::string_view text, std::size_t begin, std::size_t end,
            std::size_t at)
{
  const std::size_t after = at + word.folded.size();
  if (word.fieldStart && at != begin) return 0;
  if (word.fieldEnd && after != end) return 0;
  const bool startsWord = at == begin || !letterOrDigitBefore(text, at);
  const bool endsWord = after == end || !letterOrDigitAt(text, after);
  if ((word.wordStart && !startsWord) || (word.wordEnd && !endsWord)) return 0;
  return 1 + (startsWord ? 1 : 0) + (endsWord ? 1 : 0) + (at == begin ? 1 : 0);
}

// The best match of the word anywhere in the field; for tags, each tag counts as a field of its own.
int bestMatch(const WordPattern &word, std::string_view field, bool tags)
{
  const std::string_view needle = word.folded;
  int best = 0;
  std::size_t at = field.find(needle);
  while (at != std::string_view::npos && best < 4) {
    std::size_t begin = 0;
    std::size_t end = field.size();
    if (tags) {
      const std::size_t comma = field.rfind(',', at);
      begin = comma == std::string_view::npos ? 0 : comma + 1;
      end = std::min(field.find(',', at), field.size());
    }
    best = std::max(best, matchIn(word, field, begin, end, at));
    at = field.find(needle, at + 1);
  }
  return best;
}

// A field's weight: a match in the name counts twice one in the genre, and so on down.
constexpr int nameWeight = 8;
constexpr int genreWeight = 4;
constexpr int locationWeight = 2;
constexpr int formatWeight = 1;
constexpr int bestWordMatch = 4;

// The fields by weight below the name: one is read only while it can still beat what the heavier ones
// gave, which spares most of them for a word the name holds.
int scoreBelow(int score, const WordPattern &word, const EntryText &entry)
{
  if (score < bestWordMatch * genreWeight)
    score = std::max(score, bestMatch(word, entry.genre, true) * genreWeight);
  if (score < bestWordMatch * locationWeight)
    score = std::max(score, bestMatch(word, entry.location, false) * locationWeight);
  if (score < bestWordMatch * formatWeight)
    score = std::max(score, bestMatch(word, entry.format, false) * formatWeight);
  return score;
}

int wordScore(const WordPattern &word, SearchScope scope, const EntryText &entry)
{
  if (scope == SearchScope::GenreOnly) return bestMatch(word, entry.genre, true) * genreWeight;
  return scoreBelow(bestMatch(word, entry.name, false) * nameWeight, word, entry);
}

}  // namespace

int nameScore(const WordPattern &word, SearchScope scope, std::string_view name)
{
  return scope == SearchScope::GenreOnly ? 0 : bestMatch(word, name, false) * nameWeight;
}

int otherFieldsScore(const WordPattern &word, SearchScope scope, const EntryText &entry)
{
  if (scope == SearchScope::GenreOnly) return bestMatch(word, entry.genre, true) * genreWeight;
  return scoreBelow(0, word, entry);
}

SearchExpression parseSearchText(std::string_view text, SearchScope scope)
{
  SearchExpression expression;
  const QString all = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  for (const QString &part : all.split(u',', Qt::SkipEmptyParts)) {
    Alternative alternative = parseAlternative(part);
    if (alternative.empty()) continue;
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
  if (expression.alternatives.size() > maxAlternatives) expression.alternatives.resize(maxAlternatives);
  return expression;
}

std::string_view longestWord(const Alternative &alternative)
{
  const auto longest = std::max_element(
      alternative.begin(), alternative.end(),
      [](const WordPattern &a, const WordPattern &b) { return a.folded.size() < b.folded.size(); });
  return longest == alternative.end() ? std::string_view() : std::string_view(longest->folded);
}

int highestRelevance(const SearchExpression &expression, SearchScope scope)
{
  const int perWord = bestWordMatch * (scope == SearchScope::GenreOnly ? genreWeight : nameWeight);
  std::size_t words = 0;
  for (const auto &alternative : expression.alternatives) words = std::max(words, alternative.size());
  return static_cast<int>(words) * perWord;
}

std::span<const FieldBound> wordFieldBounds()
{
  static const FieldBound bounds[] = {{"name", (bestWordMatch - 1) * nameWeight},
                                      {"genre", bestWordMatch * genreWeight},
                                      {"location", bestWordMatch * locationWeight},
                                      {"format", bestWordMatch * formatWeight}};
  return bounds;
}

int relevance(const SearchExpression &expression, SearchScope scope, const EntryText &entry)
{
  return bestAlternativeTotal(
      expression, [&](const WordPattern &word, std::size_t) { return wordScore(word, scope, entry); });
}

}  // namespace tessivar::directory
