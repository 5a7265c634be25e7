#include "results/find_in_results.h"

#include "results/result_table_model.h"

namespace tessivar {

namespace {

bool isIgnoredPunctuation(char16_t c)
{
  return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126);
}

// Replaces out with the comparable form of text, reusing out's storage.
void makeComparable(QStringView text, QString &out)
{
  out.resize(text.size());
  QChar *write = out.data();
  qsizetype length = 0;
  for (const QChar c : text) {
    const char16_t code = c.unicode();
    if (code < 128) {
      if (isIgnoredPunctuation(code)) continue;
      write[length++] = (code >= u'a' && code <= u'z') ? QChar(char16_t(code - 32)) : c;
    } else {
      write[length++] = c.toUpper();
    }
  }
  out.truncate(length);
}

}  // namespace

QString findComparable(QStringView text)
{
  QString comparable;
  makeComparable(text, comparable);
  return comparable;
}

std::optional<int> findResultRow(const ResultTableModel &model, QStringView text, int startRow)
{
  if (text.isEmpty()) return std::nullopt;
  const QString key = findComparable(text);
  QString cell;
  cell.reserve(256);
  for (int row = ResultTableModel::modelRow(std::max(startRow, 1)); row < model.rowCount(); ++row) {
    for (int column = 0; column < ResultTableModel::ColumnCount; ++column) {
      makeComparable(model.text(row, column), cell);
      if (cell.contains(key)) return ResultTableModel::gridRow(row);
    }
  }
  return std::nullopt;
}

QString findNotFoundText(const QString &text)
{
  return text.toUpper() + QStringLiteral(":  Not Found");
}

}  // namespace tessivar
