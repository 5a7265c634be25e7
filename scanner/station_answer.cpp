#include "scanner/station_answer.h"

#include <QStringList>
#include <QUrl>

namespace tessivar {

namespace {

constexpr QLatin1StringView separator("@@@@");
constexpr int longestPosition = 100;
constexpr int longestShown = 200;

bool isUnknown(const QString &part)
{
  return part.toUpper() == QStringLiteral("UNKNOWN");
}

}  // namespace

bool isScanPosition(const QString &token)
{
  if (token.isEmpty() || token.size() > longestPosition) return false;
  for (const QChar c : token) {
    if (c.category() == QChar::Other_Control || c.isSpace() || c == u'@') return false;
  }
  return true;
}

StationAnswer readStationAnswer(const QByteArray &answer)
{
  StationAnswer station;
  const QByteArray upper = answer.toUpper();
  if (upper.contains("ERROR<BR>")) {
    station.kind = StationAnswer::Kind::NoStations;
    return station;
  }
  if (upper.contains("EXCEPTION OC")) {
    station.kind = StationAnswer::Kind::EndOfList;
    return station;
  }

  const QString text = QString::fromUtf8(answer);
  QStringList fields;
  qsizetype from = 0;
  for (int i = 0; i < 7; ++i) {
    const qsizetype next = text.indexOf(separator, from);
    if (next < 0) return station;  // cut short or not a station answer
    fields << text.mid(from, next - from);
    from = next + separator.size();
  }
  const qsizetype end = text.indexOf(QLatin1Char('<'), from);
  fields << (end < 0 ? QString() : text.mid(from, end - from));
  if (!isScanPosition(fields[0])) return station;

  station.kind = StationAnswer::Kind::Station;
  station.nextPosition = fields[0];
  station.website = fields[1];
  station.name = fields[2];
  station.streamAddress = fields[3].trimmed();
  station.format = fields[4];
  station.locationFirst = fields[5];
  station.locationSecond = fields[6];
  station.bitRate = fields[7];
  return station;
}

QString stationLocation(const QString &first, const QString &second)
{
  const bool firstKnown = !isUnknown(first);
  const bool secondKnown = !isUnknown(second);
  if (firstKnown && secondKnown) return first + QStringLiteral(", ") + second;
  if (firstKnown) return first;
  if (secondKnown) return second;
  return QStringLiteral("Unknown");
}

QString stationLocationToolTip(const QString &first, const QString &second)
{
  return first + QStringLiteral(", ") + second;
}

QString stationWebLink(const QString &website)
{
  const QString trimmed = website.trimmed();
  const QUrl url(trimmed, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https")) return {};
  return trimmed;
}

QString fieldDisplayText(const QString &field)
{
  // A cut between the two halves of a character beyond the BMP would show half a character.
  qsizetype kept = longestShown;
  if (field.size() > kept && field.at(kept - 1).isHighSurrogate() && field.at(kept).isLowSurrogate()) --kept;
  QString shown = field.size() > longestShown ? field.left(kept) + QStringLiteral("...") : field;
  for (QChar &c : shown) {
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
      c = QLatin1Char(' ');
  }
  return shown;
}

}  // namespace tessivar
