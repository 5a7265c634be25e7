// The result page parser, fed a page whole and again in blocks whose sizes the page's own bytes
// choose (as the transfer hands them over): the rows, the page count, the captions and the
// verdicts the search run draws from the parser must not depend on where the blocks were cut.
#include "search/result_parser.h"
#include "base/connection_speed.h"
#include "results/result_layout.h"
#include "results/result_table_model.h"
#include "search/error_page_check.h"

#include <QByteArrayView>
#include <QStringList>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace tessivar;

namespace {

// Of the text after the last anchor the parser keeps the latest megabyte; where that cut falls
// depends on the blocks, so longer pages are left out.
constexpr std::size_t kLongestPage = 1024 * 1024;

struct Settings
{
  ResultLayout layout = ResultLayout::Live;
  bool related = false;
  QString connectionSpeed;
};

struct Outcome
{
  QStringList results;
  QStringList related;
  int resultCount = 0;
  QString totalPages;
  QString searchCaption;
  QString relatedCaption;
  int malformedAnchors = 0;
  qint64 bytesSinceLastAnchor = 0;
  std::optional<QString> errorPage;

  friend bool operator==(const Outcome &, const Outcome &) = default;
};

QStringList rows(const ResultTableModel &model)
{
  QStringList out;
  for (int r = 0; r < model.rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < ResultTableModel::ColumnCount; ++c) cells << model.text(r, c);
    out << cells.join(u'|') + QStringLiteral("|#") + QString::number(model.statusPicture(r));
  }
  return out;
}

// blocks: where the block sizes come from; none feeds the page in one block.
Outcome parse(const Settings &settings, QByteArrayView page, FuzzedDataProvider *blocks)
{
  ResultTableModel results;
  ResultTableModel related;
  ResultPageParser parser(&results, &related);
  Outcome outcome;
  QObject::connect(&parser, &ResultPageParser::searchCaptionChanged, &parser,
                   [&outcome](const QString &caption) { outcome.searchCaption = caption; });
  QObject::connect(&parser, &ResultPageParser::relatedCaptionChanged, &parser,
                   [&outcome](const QString &caption) { outcome.relatedCaption = caption; });
  parser.setLayout(settings.layout);
  parser.setRelatedMode(settings.related);
  parser.setConnectionSpeed(settings.connectionSpeed);
  parser.setResultCount(0);
  parser.beginDocument();

  qsizetype at = 0;
  while (at < page.size()) {
    const qsizetype left = page.size() - at;
    // Once the chooser runs dry the rest comes in one block.
    const qsizetype size = blocks && blocks->remaining_bytes() > 0
                               ? qsizetype(blocks->ConsumeIntegralInRange<std::size_t>(1, std::size_t(left)))
                               : left;
    parser.extract(page.sliced(at, size));
    at += size;
  }

  outcome.results = rows(results);
  outcome.related = rows(related);
  outcome.resultCount = parser.resultCount();
  outcome.totalPages = parser.totalPages();
  outcome.malformedAnchors = parser.malformedAnchors();
  outcome.bytesSinceLastAnchor = parser.bytesSinceLastAnchor();
  outcome.errorPage = CheckServerErrorPage(QString::fromUtf8(parser.responseBuffer()));
  return outcome;
}

void report(const char *what, const QString &whole, const QString &cut)
{
  std::fprintf(stderr, "%s differs:\n  whole: %s\n  cut:   %s\n", what, qPrintable(whole), qPrintable(cut));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  if (size > kLongestPage) return -1;
  const QByteArrayView page(data, qsizetype(size));
  // The settings and the block sizes are read from the end of the page, so a seed is a real page.
  FuzzedDataProvider chooser(data, size);
  const auto bits = chooser.ConsumeIntegral<std::uint8_t>();
  const QStringList &speeds = connectionChoices();
  Settings settings;
  settings.layout = bits & 1 ? ResultLayout::Archive : ResultLayout::Live;
  settings.related = (bits & 2) != 0;
  settings.connectionSpeed = speeds.at((bits >> 2) % speeds.size());

  const Outcome whole = parse(settings, page, nullptr);
  const Outcome cut = parse(settings, page, &chooser);
  if (whole == cut) return 0;

  if (whole.results != cut.results) report("results", whole.results.join(u'\n'), cut.results.join(u'\n'));
  if (whole.related != cut.related) report("related", whole.related.join(u'\n'), cut.related.join(u'\n'));
  if (whole.resultCount != cut.resultCount)
    report("result count", QString::number(whole.resultCount), QString::number(cut.resultCount));
  if (whole.totalPages != cut.totalPages) report("total pages", whole.totalPages, cut.totalPages);
  if (whole.searchCaption != cut.searchCaption)
    report("search caption", whole.searchCaption, cut.searchCaption);
  if (whole.relatedCaption != cut.relatedCaption)
    report("related caption", whole.relatedCaption, cut.relatedCaption);
  if (whole.malformedAnchors != cut.malformedAnchors)
    report("malformed anchors", QString::number(whole.malformedAnchors),
           QString::number(cut.malformedAnchors));
  if (whole.bytesSinceLastAnchor != cut.bytesSinceLastAnchor)
    report("bytes since the last anchor", QString::number(whole.bytesSinceLastAnchor),
           QString::number(cut.bytesSinceLastAnchor));
  if (whole.errorPage != cut.errorPage)
    report("error page", whole.errorPage.value_or(u"(none)"_qs), cut.errorPage.value_or(u"(none)"_qs));
  std::abort();
}
