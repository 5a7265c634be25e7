#include "search/search_history.h"

#include "search/search_query.h"

#include <utility>

namespace tessivar {

SearchHistory::SearchHistory(QStringList entries) : entries_(std::move(entries)) {}

QString SearchHistory::entryForm(QStringView text)
{
  return prepareKeywordText(text.trimmed().toString());
}

QString SearchHistory::comparisonKey(QStringView text)
{
  return entryForm(text).toUpper();
}

bool SearchHistory::contains(QStringView text) const
{
  const QString key = comparisonKey(text);
  for (const QString &entry : entries_) {
    if (comparisonKey(entry) == key) return true;
  }
  return false;
}

bool SearchHistory::accepts(QStringView text, int genreFormatCode) const
{
  return genreFormatCode == -1 && !contains(text);
}

bool SearchHistory::record(QStringView text, int genreFormatCode)
{
  if (!accepts(text, genreFormatCode)) return false;
  entries_.append(entryForm(text));
  return true;
}

}  // namespace tessivar
