#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace tessivar {

// The search box's drop-down list: the texts searched since the program started.
// A text enters in its entry form: trimmed, blanks turned into "+". Texts are compared in that
// form upper-cased, so "jazz " matches an entry "Jazz" and "big band" matches "big+band".
// Genre searches (format code other than -1) never enter. An empty text is an entry like any
// other: a browse request made with an empty box adds one empty entry the first time only.
class SearchHistory
{
 public:
  SearchHistory() = default;
  explicit SearchHistory(QStringList entries);

  const QStringList &entries() const { return entries_; }

  // Whether an entry matches text, both compared by comparisonKey().
  bool contains(QStringView text) const;
  // Whether record() would append text.
  bool accepts(QStringView text, int genreFormatCode) const;
  // Appends entryForm(text) when accepts() says so; returns whether it was appended.
  bool record(QStringView text, int genreFormatCode);

  void clear() { entries_.clear(); }

  // Trimmed, blanks turned into "+": the form a text is listed in.
  static QString entryForm(QStringView text);
  // The entry form upper-cased: the form texts are compared in.
  static QString comparisonKey(QStringView text);

 private:
  QStringList entries_;
};

}  // namespace tessivar
