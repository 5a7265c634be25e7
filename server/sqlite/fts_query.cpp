#include "server/sqlite/fts_query.h"

#include "server/folded_text.h"

#include <QStringList>

#include <algorithm>

namespace tessivar::directory {

namespace {

constexpr int indexedLength = 3;  // the trigram index needs three characters

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

// The index counts characters; a character beyond the BMP takes two UTF-16 units.
bool indexed(const WordPattern &word)
{
  return QStringView(word.core).toUcs4().size() >= indexedLength;
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
      if (indexed(word) && !words.contains(word.core)) words << word.core;
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

bool indexable(const Alternative &alternative)
{
  return std::any_of(alternative.begin(), alternative.end(), indexed);
}

std::string fullTextQuery(const SearchExpression &expression, SearchScope scope)
{
  return fullTextQuery(expression, scope, nullptr);
}

std::string fullTextQuery(const SearchExpression &expression, SearchScope scope, const TrigramCount &count)
{
  return fullTextQuery(expression, scope, &count);
}

}  // namespace tessivar::directory
