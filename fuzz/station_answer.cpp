// The scanner's reading of one station answer, and what the scan window and the stored resume
// record make of a station it accepts.
#include "scanner/station_answer.h"
#include "scanner/scan_resume.h"
#include "scanner/scan_styles.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace tessivar;

namespace {

void fail(const char *what, const QString &text)
{
  std::fprintf(stderr, "%s: %s\n", what, qPrintable(text));
  std::abort();
}

// What the window shows of a field: one line, at most 200 characters and "...", and no half of
// a character the field held whole.
void checkShown(const QString &field)
{
  const QString shown = fieldDisplayText(field);
  if (shown.size() > 203) fail("shown field too long", shown);
  for (qsizetype i = 0; i < shown.size(); ++i) {
    const QChar c = shown.at(i);
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
      fail("control character shown", shown);
    const bool cutPair = c.isHighSurrogate() &&
                         (i + 1 == shown.size() || !shown.at(i + 1).isLowSurrogate()) &&
                         field.size() > i + 1 && field.at(i + 1).isLowSurrogate();
    if (cutPair) fail("character cut in half", shown);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const QByteArray answer(reinterpret_cast<const char *>(data), qsizetype(size));
  const StationAnswer station = readStationAnswer(answer);
  if (station.kind != StationAnswer::Kind::Station) return 0;

  if (!isScanPosition(station.nextPosition))
    fail("position accepted that is no position", station.nextPosition);
  for (const QString *field : {&station.website, &station.name, &station.streamAddress, &station.format,
                               &station.locationFirst, &station.locationSecond, &station.bitRate})
    checkShown(*field);
  checkShown(stationLocation(station.locationFirst, station.locationSecond));
  checkShown(stationLocationToolTip(station.locationFirst, station.locationSecond));
  const QString link = stationWebLink(station.website);
  if (!link.isEmpty() && !link.startsWith(u"http://", Qt::CaseInsensitive) &&
      !link.startsWith(u"https://", Qt::CaseInsensitive))
    fail("web link that is not http or https", link);

  // The position is stored as "LastScan" and read back on the next start.
  for (const QString &style : scanStyles()) {
    const ScanResume resume = scanResume(lastScanRecord(station.nextPosition, style), style);
    const bool asks = station.nextPosition.front() >= u'1' && station.nextPosition.front() <= u'9';
    if (resume.ask != asks || (asks && resume.position != station.nextPosition))
      fail("stored position reads back otherwise", station.nextPosition);
  }
  return 0;
}
