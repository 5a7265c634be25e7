#include "search/station_record.h"

#include "base/connection_speed.h"
#include "base/number_text.h"
#include "base/number_value.h"

#include <cstring>

namespace tessivar {

namespace {

// Position of a two- or four-character marker in text, -1 when it is missing. The fields
// between markers are short, so a plain loop beats a library call per marker.
qsizetype findMarker(QByteArrayView text, QByteArrayView marker)
{
  if (text.size() < marker.size()) return -1;
  const char *begin = text.data();
  const char *end = begin + text.size() - (marker.size() - 1);
  const char first = marker[0];
  const char second = marker[1];
  for (const char *at = begin; at < end; ++at) {
    if (at[0] == first && at[1] == second &&
        (marker.size() == 2 || std::memcmp(at + 2, marker.data() + 2, std::size_t(marker.size() - 2)) == 0))
      return at - begin;
  }
  return -1;
}

// The text up to the marker, leaving rest just behind it; empty with rest unchanged when the
// marker is missing.
QByteArrayView takeUpTo(QByteArrayView &rest, QByteArrayView marker)
{
  const qsizetype at = findMarker(rest, marker);
  if (at < 0) return {};
  const QByteArrayView field = rest.first(at);
  rest = rest.sliced(at + marker.size());
  return field;
}

constexpr QByteArrayView kUnknown = "Unknown";

// Normalises raw into shown (+ "k" when appendK).
void normalise(QByteArrayView raw, QByteArrayView &shown, bool &appendK)
{
  if (numberValue(raw) == 0 || sameBytes(raw, "0")) {
    shown = kUnknown;
    appendK = false;
    return;
  }
  shown = raw;
  appendK = raw.back() != 'k';  // not empty: its number is not 0
}

// Length of the white space character that starts at p, 0 when there is none.
qsizetype spaceAt(const unsigned char *p, const unsigned char *end)
{
  const unsigned c = p[0];
  if (c == ' ' || (c >= 0x09 && c <= 0x0d)) return 1;
  if (c < 0xc2 || end - p < 2) return 0;
  if (c == 0xc2) return p[1] == 0x85 || p[1] == 0xa0 ? 2 : 0;
  if (end - p < 3) return 0;
  const unsigned b = p[1];
  const unsigned d = p[2];
  switch (c) {
    case 0xe1:  // U+1680
      return b == 0x9a && d == 0x80 ? 3 : 0;
    case 0xe2:  // U+2000-U+200A, U+2028, U+2029, U+202F, U+205F
      if (b == 0x80) return (d >= 0x80 && d <= 0x8a) || d == 0xa8 || d == 0xa9 || d == 0xaf ? 3 : 0;
      return b == 0x81 && d == 0x9f ? 3 : 0;
    case 0xe3:  // U+3000
      return b == 0x80 && d == 0x80 ? 3 : 0;
    default:
      return 0;
  }
}

// Length of the white space character that ends at end, 0 when there is none.
qsizetype spaceBefore(const unsigned char *begin, const unsigned char *end)
{
  const unsigned c = end[-1];
  if (c == ' ' || (c >= 0x09 && c <= 0x0d)) return 1;
  if (c < 0x80) return 0;
  if (end - begin >= 2 && end[-2] == 0xc2) return c == 0x85 || c == 0xa0 ? 2 : 0;
  if (end - begin >= 3 && end[-3] >= 0xe1 && end[-3] <= 0xe3) return spaceAt(end - 3, end) == 3 ? 3 : 0;
  return 0;
}

}  // namespace

QByteArrayView trimmedText(QByteArrayView text)
{
  // Most texts start and end with a visible ASCII character.
  if (text.isEmpty() || (static_cast<unsigned char>(text.front()) - 0x21u < 0x5fu &&
                         static_cast<unsigned char>(text.back()) - 0x21u < 0x5fu))
    return text;
  const auto *begin = reinterpret_cast<const unsigned char *>(text.data());
  const auto *end = begin + text.size();
  while (begin < end) {
    const qsizetype n = spaceAt(begin, end);
    if (!n) break;
    begin += n;
  }
  while (begin < end) {
    const qsizetype n = spaceBefore(begin, end);
    if (!n) break;
    end -= n;
  }
  return QByteArrayView(reinterpret_cast<const char *>(begin), end - begin);
}

QByteArray StationRecord::speed() const
{
  QByteArray text = SpeedText.toByteArray();
  if (SpeedGetsK) text.append('k');
  return text;
}

QByteArray normaliseSpeed(QByteArrayView speed)
{
  StationRecord record;
  normalise(speed, record.SpeedText, record.SpeedGetsK);
  return record.speed();
}

void splitStationRecord(QByteArrayView address, QByteArrayView text, ResultLayout layout,
                        StationRecord &record)
{
  // Every field is written on every path: the record is reused from row to row.
  record.StreamURL = address;
  const qsizetype stars = findMarker(text, "**");
  if (stars < 0) {
    record = StationRecord();
    record.StreamURL = address;
    record.StationName = text;
    return;
  }
  record.StationName = trimmedText(text.first(stars));
  QByteArrayView rest = text.sliced(stars + 2);
  record.FormatText = takeUpTo(rest, "&&");
  record.Location = takeUpTo(rest, "^^");
  const qsizetype dollars = findMarker(rest, "$$");
  normalise(dollars < 0 ? QByteArrayView() : rest.first(dollars), record.SpeedText, record.SpeedGetsK);
  record.LengthSeconds = QByteArrayView();
  record.ItemID = 0;
  record.StatusFlag = QByteArrayView();
  record.WebsiteURL = QByteArrayView();
  if (dollars < 0) return;
  rest = rest.sliced(dollars + 2);
  if (layout == ResultLayout::Archive) {
    record.LengthSeconds = takeUpTo(rest, "~~");
    const qsizetype idEnd = findMarker(rest, "~$~$");
    if (idEnd >= 0) {
      const double id = numberValue(rest.first(idEnd));
      if (id >= -2147483648.0 && id <= 2147483647.0) record.ItemID = qint32(id);
      rest = rest.sliced(idEnd + 4);
    }
  }
  const qsizetype at = findMarker(rest, "@@");
  if (at >= 0) {
    record.StatusFlag = rest.first(at);
    record.WebsiteURL = rest.sliced(at + 2);
  }
}

StationRecord splitStationRecord(QByteArrayView address, QByteArrayView text, ResultLayout layout)
{
  StationRecord record;
  splitStationRecord(address, text, layout, record);
  return record;
}

bool exceedsConnectionSpeed(QStringView speedText, QStringView connectionSpeed)
{
  const std::optional<int> limit = speedLimit(connectionSpeed);
  return limit && numberValue(speedText) > *limit;
}

}  // namespace tessivar
