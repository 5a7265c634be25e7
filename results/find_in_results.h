#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tessivar {

class ResultTableModel;

// Find in the results: a text is sought in every cell of every row, the hidden columns (address,
// website, item number, sort keys) included. Letter case does not count, and neither does
// printable ASCII punctuation: both the cell and the sought text are upper-cased and lose every
// character with a code in 33-47, 58-64, 91-96 or 123-126; letters, digits, blanks and every
// other character stay. So "acdc" finds "AC/DC", and "Rock & Roll" finds "Rock  Roll" (two
// blanks) but not "Rock Roll". A text made of punctuation alone is sought as the empty text,
// which every cell contains.

// The text as the search compares it.
QString findComparable(QStringView text);

// The first row at or after startRow (grid rows: data rows from 1) with a cell that contains the
// text, or nothing. An empty text finds nothing.
std::optional<int> findResultRow(const ResultTableModel &model, QStringView text, int startRow);

// The message for a text found nowhere (exclamation icon, title "Tessivar! Broadcast"): the text
// upper-cased, then ":  Not Found".
QString findNotFoundText(const QString &text);

// Where the next search starts. Before the first search, and after a search that found nothing
// (which leaves the grid on row 1), the next one starts at row 1, so a match in the first row is
// found; after a match it starts at the row below it, so repeated searches walk every match in
// turn, then report "Not Found" once and begin again at the top. When the user has moved to
// another row since, the search starts at the row below the current one.
class FindStart
{
 public:
  int startRow(int currentRow) const { return currentRow == leftOn_ ? next_ : currentRow + 1; }
  void found(int row)
  {
    leftOn_ = row;
    next_ = row + 1;
  }
  // Also what a grid filled or sorted anew starts from.
  void reset()
  {
    leftOn_ = 1;
    next_ = 1;
  }

 private:
  int leftOn_ = 1;  // the row the last search left current
  int next_ = 1;
};

}  // namespace tessivar
