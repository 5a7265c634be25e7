// Feeds a generated result page of 100,000 and 200,000 anchors in 16 KB blocks through the
// result page parser into the results model, and compares it with a plain memchr scan of the
// same page. Prints rows/s, MB/s, the growth from 100,000 to 200,000 anchors and the ratio to
// the scan. Times are CPU times of this process, best of a few runs. The rows are checked after
// each run, and the time to read every cell back as text is shown apart.

#include "results/result_table_model.h"
#include "search/result_parser.h"

#include <QByteArray>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>

using namespace tessivar;

namespace {

constexpr qsizetype kBlock = 16 * 1024;
constexpr int kRuns = 3;

double cpuSeconds()
{
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Best time of work(); cleanup() runs untimed after each run.
double bestOf(
    const std::function<void()> &work, const std::function<void()> &cleanup = [] {})
{
  double best = 1e300;
  for (int run = 0; run < kRuns; ++run) {
    const double start = cpuSeconds();
    work();
    best = std::min(best, cpuSeconds() - start);
    cleanup();
  }
  return best;
}

QByteArray livePage(int anchors)
{
  static const char *const formats[] = {"RealAudio", "Windows Media", "MP3", "StreamWorks"};
  static const char *const places[] = {"Boston, MA", "Unknown, Internet", ", Z\xc3\xbcrich", "Austin, TX,"};
  static const char *const speeds[] = {"56", "128k", "0", "24", "?bps"};
  QByteArray page = "<HTML><BODY>\r\n";
  page.reserve(qsizetype(anchors) * 140);
  for (int i = 0; i < anchors; ++i) {
    page += i % 2 ? "<a href=\"" : "<A HREF=\"";
    page += "http://stream" + QByteArray::number(i) + ".example.net:8000/live.ram\">";
    page += "Station number " + QByteArray::number(i) + "**" + formats[i % 4] + "&&" + places[i % 4] + "^^" +
            speeds[i % 5] + "$$" + QByteArray::number(i % 2) + "@@http://www" + QByteArray::number(i) +
            ".example.net/";
    page += i % 2 ? "</a><BR>\r\n" : "</A><BR>\r\n";
  }
  page += "&&&&TOTALPAGES:1<BR>\r\n</BODY></HTML>\r\n";
  return page;
}

// The rows keep their cells as UTF-8 and turn a cell into a QString when it is asked for (the
// grid asks for the rows it shows). This is the time to ask for every cell of every row once.
double readBack = 0;

// The time to parse the page into a fresh model (or, with store false, to build every row and
// throw it away); freeing the rows afterwards is not counted.
double parse(const QByteArray &page, int expectedRows, bool store = true)
{
  std::unique_ptr<ResultTableModel> results;
  std::unique_ptr<ResultTableModel> related;
  return bestOf(
      [&] {
        results = std::make_unique<ResultTableModel>();
        related = std::make_unique<ResultTableModel>();
        ResultPageParser parser(store ? results.get() : nullptr, related.get());
        parser.setConnectionSpeed(QStringLiteral("All Connections"));
        parser.beginDocument();
        for (qsizetype at = 0; at < page.size(); at += kBlock)
          parser.extract(QByteArrayView(page).sliced(at, std::min(kBlock, page.size() - at)));
      },
      [&] {
        if (results->rowCount() != (store ? expectedRows : 0))
          std::fprintf(stderr, "unexpected row count %d\n", results->rowCount());
        if (store) {
          const int last = expectedRows - 1;
          if (results->text(last, 0) != QStringLiteral("Station number %1").arg(last) ||
              results->text(0, 2) != QStringLiteral("Boston, MA") ||
              results->text(1, 2) != QStringLiteral("Internet Based") ||
              results->text(2, 2) != QStringLiteral("Z\u00fcrich") ||
              results->text(3, 2) != QStringLiteral("Austin") ||
              results->text(0, 3) != QStringLiteral("56k") || results->text(2, 8) != QStringLiteral("5000"))
            std::fprintf(stderr, "unexpected cells\n");
          const double start = cpuSeconds();
          qsizetype characters = 0;
          for (int row = 0; row < results->rowCount(); ++row) {
            for (int column = 0; column < ResultTableModel::ColumnCount; ++column)
              characters += results->text(row, column).size();
          }
          readBack = cpuSeconds() - start;
          if (characters == 0) std::fprintf(stderr, "no text\n");
        }
        results.reset();
        related.reset();
      });
}

double scan(const QByteArray &page)
{
  volatile qsizetype sink = 0;
  return bestOf([&] {
    qsizetype count = 0;
    const char *p = page.constData();
    const char *end = p + page.size();
    while ((p = static_cast<const char *>(std::memchr(p, '<', std::size_t(end - p))))) {
      ++count;
      ++p;
    }
    sink = count;
  });
}

}  // namespace

int main(int argc, char *argv[])
{
  // An optional argument replaces the 100,000 anchors (the second page has twice as many).
  const int anchors = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
  const QByteArray page1 = livePage(anchors);
  const QByteArray page2 = livePage(2 * anchors);
  const double parse1 = parse(page1, anchors);
  const double read1 = readBack;
  const double parse2 = parse(page2, 2 * anchors);
  const double unstored1 = parse(page1, anchors, false);
  const double scan1 = scan(page1);
  const double scan2 = scan(page2);
  const double mb1 = double(page1.size()) / 1e6;

  std::printf("page: %d anchors, %.1f MB, fed in %lld-byte blocks\n", anchors, mb1,
              static_cast<long long>(kBlock));
  std::printf("parse %d anchors: %.2f ms CPU, %.0f rows/s, %.1f MB/s\n", anchors, parse1 * 1e3,
              anchors / parse1, mb1 / parse1);
  std::printf("parse %d anchors: %.2f ms CPU (%.2f x the time for %d)\n", 2 * anchors, parse2 * 1e3,
              parse2 / parse1, anchors);
  std::printf("  of which storing the rows in the model: %.2f ms\n", (parse1 - unstored1) * 1e3);
  std::printf("memchr scan for '<': %.2f ms CPU for %d anchors, %.2f ms for %d\n", scan1 * 1e3, anchors,
              scan2 * 1e3, 2 * anchors);
  std::printf("parse / scan: %.1f x\n", parse1 / scan1);
  std::printf("(not in the figures above: asking for all %d cells of the %d rows as text once: %.2f ms)\n",
              anchors * ResultTableModel::ColumnCount, anchors, read1 * 1e3);
  return 0;
}
