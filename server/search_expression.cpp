#include "server/search_expression.h"

#include "server/genre_synonyms.h"

#include <QStringList>

#include <algorithm>

namespace tessivar::directory {

namespace {

constexpr int maxAlternatives = 32;
constexpr int maxWords = 16;
constexpr int maxWordLength = 100;
constexpr int indexedLength = 3; // the trigram index needs three characters

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
  pattern.core = word.left(maxWordLength);
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

// How well one word matches one field: 0 none, 1 inside, 2 at a boundary, 3 a whole word, +1 at the start.
int matchIn(const WordPattern &word, QStringView field)
{
  field = field.trimmed();
  int best = 0;
  qsizetype from = 0;
  while (true) {
    const qsizetype at = field.indexOf(word.core, from, Qt::CaseInsensitive);
    if (at < 0)
      break;
    from = at + 1;
    const qsizetype end = at + word.core.size();
    const bool startsWord = at == 0 || !isWordChar(field[at - 1]);
    const bool endsWord = end == field.size() || !isWordChar(field[end]);
    if (word.fieldStart && at != 0)
      continue;
    if (word.fieldEnd && end != field.size())
      continue;
    if (word.wordStart && !startsWord)
      continue;
    if (word.wordEnd && !endsWord)
      continue;
    const int score = 1 + (startsWord ? 1 : 0) + (endsWord ? 1 : 0) + (at == 0 ? 1 : 0);
    best = std::max(best, score);
  }
  return best;
}

int matchTags(const WordPattern &word, QStringView tags)
{
  int best = 0;
  for (QStringView tag : tags.split(u',')) {
    best = std::max(best, matchIn(word, tag));
  }
  return best;
}

int wordScore(const WordPattern &word, SearchScope scope, const EntryText &entry)
{
  const int genre = matchTags(word, entry.genre) * 4;
  if (scope == SearchScope::GenreOnly)
    return genre;
  return std::max({matchIn(word, entry.name) * 8, genre, matchIn(word, entry.location) * 2,
                   matchIn(word, entry.format)});
}

QString quoted(const QString &text)
{
  QString out = text;
  out.replace(u'"', QStringLiteral("\"\""));
  return u'"' + out + u'"';
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

std::string fullTextQuery(const SearchExpression &expression, SearchScope scope)
{
  QStringList alternatives;
  for (const auto &alternative : expression.alternatives) {
    QStringList words;
    for (const auto &word : alternative) {
      if (word.core.size() >= indexedLength)
        words << quoted(word.core);
    }
    if (words.isEmpty())
      return {};
    QString group = u'(' + words.join(QStringLiteral(" AND ")) + u')';
    if (scope == SearchScope::GenreOnly)
      group = QStringLiteral("genre : ") + group;
    alternatives << group;
  }
  return alternatives.join(QStringLiteral(" OR ")).toStdString();
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
