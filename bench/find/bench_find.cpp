// Find in results over 100,000 archive rows (ten cells each, the hidden ones included): a text
// found only in the last row's website and a text found nowhere, each a full pass over every
// cell. Beside it, the baseline of the same run: reading every cell back as text and nothing
// else. Prints the best CPU time of a few runs and the ratio to the baseline.

#include "results/find_in_results.h"
#include "results/result_table_model.h"

#include <QByteArray>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using namespace tessivar;

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 5;

double cpuSeconds()
{
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double bestOf(const std::function<void()> &work)
{
  double best = 1e300;
  for (int run = 0; run < kRuns; ++run) {
    const double start = cpuSeconds();
    work();
    best = std::min(best, cpuSeconds() - start);
  }
  return best;
}

void fill(ResultTableModel &model)
{
  std::vector<QByteArray> texts(ResultTableModel::ColumnCount);
  ResultTableModel::Utf8Cells cells;
  for (int row = 0; row < kRows; ++row) {
    const QByteArray n = QByteArray::number(row);
    texts[1] = "[" + QByteArray::number(row % 60) + ":" + QByteArray::number(row % 59) + "]";
    texts[2] = QByteArray::number(16 + row % 300) + "k";
    texts[3] = "Concert recording number " + n + " - Live at the Caf\xc3\xa9 (Part " + n + ")";
    texts[4] = n;
    texts[5] = "http://clips" + QByteArray::number(row % 97) + ".example.net/archive/" + n + ".rm";
    texts[6] = row == kRows - 1 ? "http://needle.example.org/" : "http://www.example.net/show/" + n;
    texts[7] = QByteArray::number(row % 2);
    texts[8] = QByteArray::number(16 + row % 300);
    texts[9] = QByteArray::number(row % 3600);
    for (int column = 0; column < ResultTableModel::ColumnCount; ++column)
      cells[std::size_t(column)] = texts[std::size_t(column)];
    model.writeRow(row, cells, ResultTableModel::Picture1);
  }
  model.commitRows();
}

}  // namespace

int main()
{
  ResultTableModel model;
  fill(model);

  qsizetype characters = 0;
  const double baseline = bestOf([&] {
    characters = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
      for (int column = 0; column < ResultTableModel::ColumnCount; ++column)
        characters += model.text(row, column).size();
    }
  });

  int found = 0;
  const double last = bestOf([&] { found = findResultRow(model, u"Needle.Example", 1).value_or(0); });
  if (found != kRows) {
    std::fprintf(stderr, "expected row %d, found %d\n", kRows, found);
    return 1;
  }
  const double nowhere = bestOf([&] { found = findResultRow(model, u"no such clip!", 1).value_or(0); });
  if (found != 0) {
    std::fprintf(stderr, "expected no row, found %d\n", found);
    return 1;
  }

  std::printf("%d rows, %lld characters in their cells\n", kRows, static_cast<long long>(characters));
  std::printf("read every cell (baseline)   %7.1f ms\n", baseline * 1000);
  std::printf("find in the last row         %7.1f ms  (%.2f x baseline)\n", last * 1000, last / baseline);
  std::printf("find nowhere                 %7.1f ms  (%.2f x baseline)\n", nowhere * 1000,
              nowhere / baseline);
  return 0;
}
