#include "search/search_history.h"

#include <utility>

namespace tessivar {

SearchHistory::SearchHistory(QStringList entries) : m_entries(std::move(entries)) {}

QString SearchHistory::comparisonKey(QStringView text)
{
  return text.trimmed().toString().toUpper();
}

bool SearchHistory::contains(QStringView text) const
{
  const QString key = comparisonKey(text);
  for (const QString &entry : m_entries) {
    if (comparisonKey(entry) == key) return true;
  }
  return false;
}

bool SearchHistory::accepts(QStringView text, int genreFormatCode) const
{
  return genreFormatCode == -1 && !contains(text);
}

bool SearchHistory::record(const QString &text, int genreFormatCode)
{
  if (!accepts(text, genreFormatCode)) return false;
  m_entries.append(text);
  return true;
}

}  // namespace tessivar
