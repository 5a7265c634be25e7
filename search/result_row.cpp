#include "search/result_row.h"

#include "search/result_number.h"
#include "search/station_record.h"

#include <cmath>

namespace tessivar {

namespace {

constexpr QStringView kUnknown = u"Unknown";

QStringView trimmedOrUnknown(QStringView text)
{
  const QStringView trimmed = text.trimmed();
  return trimmed.isEmpty() ? kUnknown : trimmed;
}

// Cleans a location; the result views either location or storage.
QStringView cleanLocationView(QStringView location, QString &storage)
{
  QStringView text = location.trimmed();
  if (text == u",")
    return kUnknown;
  if (text.startsWith(u',')) {
    text = text.sliced(1).trimmed();
  }
  if (text.endsWith(u',')) {
    text = text.first(text.indexOf(u',')).trimmed();
  }
  if (!text.contains(u"Unknown, "))
    return text;
  storage = text.toString();
  storage.replace(QStringLiteral("Unknown, Internet"), QStringLiteral("Internet Based"));
  storage.replace(QStringLiteral("Unknown, Unknown"), QStringLiteral("Unknown"));
  storage.remove(QStringLiteral("Unknown, "));
  return QStringView(storage).trimmed();
}

// Writes "[m:s]" or "[??:??]" into out (at least 48 characters); returns the length.
qsizetype writeLengthText(QStringView seconds, QChar *out)
{
  const double value = resultNumberValue(seconds);
  // Negative or absurd lengths are as unknown as a missing one.
  if (!(value > 0) || value > 1e15) {
    const QStringView unknown = u"[??:??]";
    std::copy(unknown.begin(), unknown.end(), out);
    return unknown.size();
  }
  const double whole = std::floor(value);
  qsizetype n = 0;
  out[n++] = u'[';
  n += writeShortestNumber(std::floor(whole / 60), out + n);
  out[n++] = u':';
  n += writeShortestNumber(std::fmod(whole, 60), out + n);
  out[n++] = u']';
  return n;
}

}  // namespace

QString cleanLocation(QStringView location)
{
  QString storage;
  return cleanLocationView(location, storage).toString();
}

QString lengthText(QStringView seconds)
{
  QChar buffer[48];
  return QString(buffer, writeLengthText(seconds, buffer));
}

ResultTableModel::Row buildResultRow(const StationRecord &record, ResultLayout layout)
{
  std::array<QStringView, ResultTableModel::ColumnCount> cells{};
  QChar numberBuffer[32];
  const QStringView speed = record.SpeedText;

  if (layout == ResultLayout::Archive) {
    int picture = ResultTableModel::NoPicture;
    const QStringView extension = record.StreamURL.size() >= 4 ? record.StreamURL.last(4) : record.StreamURL;
    const bool playlistFile = extension.compare(u".MP3", Qt::CaseInsensitive) == 0
        || extension.compare(u".PLS", Qt::CaseInsensitive) == 0
        || extension.compare(u".M3U", Qt::CaseInsensitive) == 0;
    if (record.StatusFlag == u"0" || playlistFile) {
      picture = ResultTableModel::Picture1;
      cells[7] = u"0";
    } else if (record.StatusFlag == u"1") {
      picture = ResultTableModel::Picture2;
      cells[7] = u"1";
    } else {
      cells[0] = u"?";
    }
    QChar lengthBuffer[48];
    cells[1] = QStringView(lengthBuffer, writeLengthText(record.LengthSeconds, lengthBuffer));
    cells[2] = speed;
    cells[3] = record.StationName;
    QChar idBuffer[16];
    cells[4] = QStringView(idBuffer, writeShortestNumber(record.ItemID, idBuffer));
    cells[5] = record.StreamURL;
    cells[6] = record.WebsiteURL;
    const qsizetype k = speed.indexOf(u'k');
    if (k >= 0)
      cells[8] = QStringView(numberBuffer, writeShortestNumber(resultNumberValue(speed.first(k)), numberBuffer));
    cells[9] = record.LengthSeconds;
    return ResultTableModel::Row::fromCells(cells, picture);
  }

  QString locationStorage;
  cells[0] = trimmedOrUnknown(record.StationName);
  cells[1] = trimmedOrUnknown(record.FormatText);
  cells[2] = cleanLocationView(record.Location, locationStorage);
  const QStringView trimmedSpeed = speed.trimmed();
  cells[3] = trimmedSpeed.isEmpty() || trimmedSpeed == u"0k" ? kUnknown : trimmedSpeed;
  QStringView address = record.StreamURL;
  while (!address.isEmpty() && (address.front() == u'"' || address.front() == u' '))
    address = address.sliced(1);
  while (!address.isEmpty() && (address.back() == u'"' || address.back() == u' '))
    address.chop(1);
  cells[4] = address.trimmed();
  cells[5] = record.WebsiteURL;
  const double speedValue = resultNumberValue(speed);
  cells[8] = speedValue == 0 || speed == u"?bps"
      ? QStringView(u"5000")
      : QStringView(numberBuffer, writeShortestNumber(speedValue, numberBuffer));
  return ResultTableModel::Row::fromCells(cells);
}

}  // namespace tessivar
