#include "search/station_record.h"

#include "search/result_number.h"

namespace tessivar {

namespace {

// Finds a marker by its first character, which QStringView looks for quickly.
qsizetype findMarker(QStringView text, QStringView marker)
{
  qsizetype from = 0;
  while (true) {
    const qsizetype at = text.indexOf(marker.front(), from);
    if (at < 0 || at + marker.size() > text.size())
      return -1;
    if (text.sliced(at, marker.size()) == marker)
      return at;
    from = at + 1;
  }
}

// The text up to the marker, leaving rest just behind it; empty with rest unchanged when the
// marker is missing.
QStringView takeUpTo(QStringView &rest, QStringView marker)
{
  const qsizetype at = findMarker(rest, marker);
  if (at < 0)
    return {};
  const QStringView field = rest.first(at);
  rest = rest.sliced(at + marker.size());
  return field;
}

}  // namespace

QString normaliseSpeed(QStringView speed)
{
  if (resultNumberValue(speed) == 0 || speed == u"0")
    return QStringLiteral("Unknown");
  if (speed.endsWith(u'k'))
    return speed.toString();
  QString text;
  text.reserve(speed.size() + 1);
  text.append(speed);
  text.append(u'k');
  return text;
}

StationRecord splitStationRecord(QStringView address, QStringView text, ResultLayout layout)
{
  StationRecord record;
  record.StreamURL = address;
  const qsizetype stars = findMarker(text, u"**");
  if (stars < 0) {
    record.StationName = text;
    return record;
  }
  record.StationName = text.first(stars).trimmed();
  QStringView rest = text.sliced(stars + 2);
  record.FormatText = takeUpTo(rest, u"&&");
  record.Location = takeUpTo(rest, u"^^");
  const qsizetype dollars = findMarker(rest, u"$$");
  record.SpeedText = normaliseSpeed(dollars < 0 ? QStringView() : rest.first(dollars));
  if (dollars < 0)
    return record;
  rest = rest.sliced(dollars + 2);
  if (layout == ResultLayout::Archive) {
    record.LengthSeconds = takeUpTo(rest, u"~~");
    const qsizetype idEnd = findMarker(rest, u"~$~$");
    if (idEnd >= 0) {
      const double id = resultNumberValue(rest.first(idEnd));
      if (id >= -2147483648.0 && id <= 2147483647.0)
        record.ItemID = qint32(id);
      rest = rest.sliced(idEnd + 4);
    }
  }
  const qsizetype at = findMarker(rest, u"@@");
  if (at >= 0) {
    record.StatusFlag = rest.first(at);
    record.WebsiteURL = rest.sliced(at + 2);
  }
  return record;
}

std::optional<double> connectionSpeedLimit(QStringView connectionSpeed)
{
  struct Limit
  {
    const char16_t *name;
    double limit;
  };
  static constexpr Limit limits[] = {
      {u"Phone Modem 28.8", 28}, {u"Phone Modem 33.6", 33}, {u"Phone Modem 56k", 56},
      {u"ISDN 64k", 64},         {u"ISDN 128k", 128},       {u"Cable/DSL", 300},
  };
  for (const Limit &entry : limits) {
    if (connectionSpeed == QStringView(entry.name))
      return entry.limit;
  }
  return std::nullopt;
}

bool exceedsConnectionSpeed(QStringView speedText, QStringView connectionSpeed)
{
  const std::optional<double> limit = connectionSpeedLimit(connectionSpeed);
  return limit && resultNumberValue(speedText) > *limit;
}

}  // namespace tessivar
