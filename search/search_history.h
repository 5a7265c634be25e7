#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace tessivar {

// The search box's drop-down list: the texts searched since the program started.
// Entries are compared trimmed and upper-cased; genre searches (format code other than -1)
// never enter. An empty text is an entry like any other, so a browse request made with an
// empty box adds one empty entry the first time and none after that.
class SearchHistory
{
public:
  SearchHistory() = default;
  explicit SearchHistory(QStringList entries);

  const QStringList &entries() const { return m_entries; }

  // Whether an entry equals text, both trimmed and upper-cased.
  bool contains(QStringView text) const;
  // Whether record() would append text.
  bool accepts(QStringView text, int genreFormatCode) const;
  // Appends text when accepts() says so; returns whether it was appended.
  bool record(const QString &text, int genreFormatCode);

  void clear() { m_entries.clear(); }

  // The form in which entries are compared.
  static QString comparisonKey(QStringView text);

private:
  QStringList m_entries;
};

}  // namespace tessivar
