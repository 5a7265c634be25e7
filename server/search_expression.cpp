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
constexpr int indexedLength = 3;  // the trigram index needs three characters

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

int wordScore(const WordPattern &word, SearchScope scope, const EntryText &entry)
{
  if (scope == SearchScope::GenreOnly) return bestMatch(word, entry.genre, true) * genreWeight;
  // The fields by weight: one is read only while it can still beat what the heavier ones gave, which
  // spares most of them for a word the name holds.
  int score = bestMatch(word, entry.name, false) * nameWeight;
  if (score < bestWordMatch * genreWeight)
    score = std::max(score, bestMatch(word, entry.genre, true) * genreWeight);
  if (score < bestWordMatch * locationWeight)
    score = std::max(score, bestMatch(word, entry.location, false) * locationWeight);
  if (score < bestWordMatch * formatWeight)
    score = std::max(score, bestMatch(word, entry.format, false) * formatWeight);
  return score;
}

QString quoted(const QString &text)
{
  QString out = text;
  out.replace(u'"', QStringLiteral("\"\""));
  return u'"' + out + u'"';
}

// A word as the trigram index finds it fastest: the AND of trigrams that cover it (every third one and
// the last), each a single token. A phrase of all its trigrams would make FTS5 compare their positions in
// every row that holds them all; this finds a few rows more, which scoring leaves out.
QString indexTerms(const QString &word)
{
  const QList<uint> characters = QStringView(word).toUcs4();
  const qsizetype count = characters.size();
  if (count <= indexedLength) return quoted(word);
  QStringList terms;
  for (qsizetype at = 0;; at += indexedLength) {
    const qsizetype start = std::min(at, count - indexedLength);
    terms << quoted(
        QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData()) + start, indexedLength));
    if (start == count - indexedLength) break;
  }
  return terms.join(QStringLiteral(" AND "));
}

}  // namespace

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

namespace {

// The UTF-8 bytes of one code point; returns how many. (A lone surrogate gives bytes no field holds,
// so its trigram counts as rare: it is still a piece of the word, which is all the index needs.)
std::size_t utf8Of(char32_t c, char *out)
{
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

// The trigram of the words that count() finds in the fewest entries, as a term of the query.
QString rarestTrigram(const QStringList &words, const TrigramCount &count)
{
  QString best;
  std::uint32_t fewest = 0;
  for (const QString &word : words) {
    const QList<uint> characters = QStringView(word).toUcs4();
    const auto *first = reinterpret_cast<const char32_t *>(characters.constData());
    for (qsizetype at = 0; at + indexedLength <= characters.size(); ++at) {
      char utf8[4 * indexedLength];
      std::size_t length = 0;
      for (qsizetype i = at; i < at + indexedLength; ++i) length += utf8Of(first[i], utf8 + length);
      const std::uint32_t entries = count(foldedField(std::string_view(utf8, length)));
      if (best.isEmpty() || entries < fewest) {
        best = QString::fromUcs4(first + at, indexedLength);
        fewest = entries;
      }
    }
  }
  return quoted(best);
}

std::string fullTextQuery(const SearchExpression &expression, SearchScope scope, const TrigramCount *count)
{
  // Each alternative becomes the group of its indexed words. A group whose every word lies inside a
  // word of another group finds all that group finds ("ska" finds whatever "ska-" finds), so the
  // other group is left out: fewer phrases for the index to walk, the same candidates.
  std::vector<QStringList> groups;
  for (const auto &alternative : expression.alternatives) {
    QStringList words;
    for (const auto &word : alternative) {
      // The index counts characters; a character beyond the BMP takes two UTF-16 units.
      const bool indexed = QStringView(word.core).toUcs4().size() >= indexedLength;
      if (indexed && !words.contains(word.core)) words << word.core;
    }
    if (words.isEmpty()) return {};
    // FTS5 walks an AND from its first phrase and skips ahead in the others, so the phrase with the
    // fewest entries should come first; a longer word is usually the rarer one ("germany" before "radio").
    std::stable_sort(words.begin(), words.end(),
                     [](const QString &a, const QString &b) { return a.size() > b.size(); });
    groups.push_back(std::move(words));
  }
  const auto implies = [](const QStringList &wider, const QStringList &narrower) {
    return std::all_of(wider.begin(), wider.end(), [&](const QString &term) {
      return std::any_of(narrower.begin(), narrower.end(),
                         [&](const QString &w) { return w.contains(term); });
    });
  };
  QStringList alternatives;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    bool covered = false;
    for (std::size_t k = 0; k < groups.size() && !covered; ++k) {
      if (k == i || !implies(groups[k], groups[i])) continue;
      // Of two groups that imply each other the first one stays.
      covered = k < i || !implies(groups[i], groups[k]);
    }
    if (covered) continue;
    QStringList words;
    if (count)
      words << rarestTrigram(groups[i], *count);
    else
      for (const QString &word : groups[i]) words << indexTerms(word);
    QString group = u'(' + words.join(QStringLiteral(" AND ")) + u')';
    if (scope == SearchScope::GenreOnly) group = QStringLiteral("genre : ") + group;
    alternatives << group;
  }
  return alternatives.join(QStringLiteral(" OR ")).toStdString();
}

}  // namespace

std::string fullTextQuery(const SearchExpression &expression, SearchScope scope)
{
  return fullTextQuery(expression, scope, nullptr);
}

std::string fullTextQuery(const SearchExpression &expression, SearchScope scope, const TrigramCount &count)
{
  return fullTextQuery(expression, scope, &count);
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
  int best = 0;
  for (const auto &alternative : expression.alternatives) {
    int total = 0;
    for (const auto &word : alternative) {
      const int score = wordScore(word, scope, entry);
      if (score == 0) {
        total = 0;
        break;
      }
      total += score;
    }
    best = std::max(best, total);
  }
  return best;
}

}  // namespace tessivar::directory
