#include "search/result_cells.h"

#include "base/number_text.h"
#include "base/number_value.h"
#include "search/station_record.h"

#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

namespace tessivar {

namespace {

constexpr QByteArrayView kUnknown = "Unknown";

QByteArrayView trimmedOrUnknown(QByteArrayView text)
{
  const QByteArrayView trimmed = trimmedText(text);
  return trimmed.isEmpty() ? kUnknown : trimmed;
}

// Replaces every from in text, left to right; text and to are ASCII here.
void replaceAll(std::string &text, std::string_view from, std::string_view to, std::string &spare)
{
  std::size_t at = text.find(from);
  if (at == std::string::npos) return;
  spare.clear();
  std::size_t done = 0;
  for (; at != std::string::npos; at = text.find(from, done)) {
    spare.append(text, done, at - done);
    spare.append(to);
    done = at + from.size();
  }
  spare.append(text, done, std::string::npos);
  text.swap(spare);
}

// True when text holds "Unknown, ".
bool hasUnknownPrefix(QByteArrayView text)
{
  constexpr std::string_view kPrefix = "Unknown, ";
  return std::string_view(text.data(), std::size_t(text.size())).find(kPrefix) != std::string_view::npos;
}

// Cleans a location; the result views either location or storage.
QByteArrayView cleanLocationView(QByteArrayView location, std::string &storage, std::string &spare)
{
  QByteArrayView text = trimmedText(location);
  if (sameBytes(text, ",")) return kUnknown;
  if (!text.isEmpty() && text.front() == ',') text = trimmedText(text.sliced(1));
  if (!text.isEmpty() && text.back() == ',') text = trimmedText(text.first(text.indexOf(',')));
  if (!hasUnknownPrefix(text)) return text;
  if (std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; })) {
    // Removing text can join the bytes on either side into a character that neither side was
    // alone: replace in the decoded text.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString decoded = decoder.decode(text);
    decoded.replace(QStringLiteral("Unknown, Internet"), QStringLiteral("Internet Based"));
    decoded.replace(QStringLiteral("Unknown, Unknown"), QStringLiteral("Unknown"));
    decoded.remove(QStringLiteral("Unknown, "));
    const QByteArray encoded = decoded.toUtf8();
    storage.assign(encoded.constData(), std::size_t(encoded.size()));
  } else {
    storage.assign(text.data(), std::size_t(text.size()));
    replaceAll(storage, "Unknown, Internet", "Internet Based", spare);
    replaceAll(storage, "Unknown, Unknown", "Unknown", spare);
    replaceAll(storage, "Unknown, ", "", spare);
  }
  return trimmedText(QByteArrayView(storage.data(), qsizetype(storage.size())));
}

// Writes "[m:s]" or "[??:??]" into out (at least 2 * kNumberTextCapacity + 3 bytes); returns the
// length.
qsizetype writeLengthText(QByteArrayView seconds, char *out)
{
  const double value = numberValue(seconds);
  // Negative or absurd lengths are as unknown as a missing one.
  if (!(value > 0) || value > 1e15) {
    std::memcpy(out, "[??:??]", 7);
    return 7;
  }
  const double whole = std::floor(value);
  qsizetype n = 0;
  out[n++] = '[';
  n += writeShortestNumber(std::floor(whole / 60), out + n);
  out[n++] = ':';
  n += writeShortestNumber(std::fmod(whole, 60), out + n);
  out[n++] = ']';
  return n;
}

bool isPlaylistExtension(QByteArrayView address)
{
  static constexpr const char16_t *kExtensions[] = {u".MP3", u".PLS", u".M3U"};
  const bool ascii = address.size() >= 4 && (address[address.size() - 1] & 0x80) == 0 &&
                     (address[address.size() - 2] & 0x80) == 0 && (address[address.size() - 3] & 0x80) == 0 &&
                     (address[address.size() - 4] & 0x80) == 0;
  if (ascii) {
    const QByteArrayView extension = address.last(4);
    for (const char16_t *candidate : kExtensions) {
      bool same = true;
      for (int i = 0; i < 4 && same; ++i) {
        const char c = extension[i];
        same = (c >= 'a' && c <= 'z' ? char(c - 32) : c) == char(candidate[i]);
      }
      if (same) return true;
    }
    return false;
  }
  // Characters beyond ASCII may still fold to these letters (a long s is an s).
  const QString decoded = QString::fromUtf8(address);
  const QStringView extension = decoded.size() >= 4 ? QStringView(decoded).last(4) : QStringView(decoded);
  for (const char16_t *candidate : kExtensions) {
    if (extension.compare(QStringView(candidate), Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

// The speed as shown, in storage.
QByteArrayView shownSpeed(const StationRecord &record, std::string &storage)
{
  if (!record.SpeedGetsK) return record.SpeedText;
  storage.assign(record.SpeedText.data(), std::size_t(record.SpeedText.size()));
  storage.push_back('k');
  return QByteArrayView(storage.data(), qsizetype(storage.size()));
}

}  // namespace

QByteArray cleanLocation(QByteArrayView location)
{
  std::string storage;
  std::string spare;
  return cleanLocationView(location, storage, spare).toByteArray();
}

QByteArray lengthText(QByteArrayView seconds)
{
  char buffer[2 * kNumberTextCapacity + 3];
  return QByteArray(buffer, writeLengthText(seconds, buffer));
}

int buildResultCells(const StationRecord &record, ResultLayout layout, ResultTableModel::Utf8Cells &cells,
                     ResultRowScratch &scratch)
{
  // Every cell is written on every path: the cells are reused from row to row.
  const QByteArrayView speed = shownSpeed(record, scratch.speed);

  if (layout == ResultLayout::Archive) {
    constexpr auto cell = [](ResultField field) {
      return std::size_t(resultColumn(ResultLayout::Archive, field));
    };
    int picture = ResultTableModel::NoPicture;
    if (sameBytes(record.StatusFlag, "0") || isPlaylistExtension(record.StreamURL)) {
      picture = ResultTableModel::Picture1;
      cells[cell(ResultField::Status)] = QByteArrayView();
      cells[cell(ResultField::IconKind)] = "0";
    } else if (sameBytes(record.StatusFlag, "1")) {
      picture = ResultTableModel::Picture2;
      cells[cell(ResultField::Status)] = QByteArrayView();
      cells[cell(ResultField::IconKind)] = "1";
    } else {
      cells[cell(ResultField::Status)] = "?";
      cells[cell(ResultField::IconKind)] = QByteArrayView();
    }
    cells[cell(ResultField::Length)] =
        QByteArrayView(scratch.length, writeLengthText(record.LengthSeconds, scratch.length));
    cells[cell(ResultField::Speed)] = speed;
    cells[cell(ResultField::Name)] = record.StationName;
    cells[cell(ResultField::ItemId)] =
        QByteArrayView(scratch.id, writeShortestNumber(record.ItemID, scratch.id));
    cells[cell(ResultField::StreamUrl)] = record.StreamURL;
    cells[cell(ResultField::Website)] = record.WebsiteURL;
    const qsizetype k = speed.indexOf('k');
    cells[cell(ResultField::SpeedNumber)] =
        k >= 0
            ? QByteArrayView(scratch.number, writeShortestNumber(numberValue(speed.first(k)), scratch.number))
            : QByteArrayView();
    cells[cell(ResultField::Seconds)] = record.LengthSeconds;
    return picture;
  }

  constexpr auto cell = [](ResultField field) {
    return std::size_t(resultColumn(ResultLayout::Live, field));
  };
  cells.fill(QByteArrayView());  // the columns the live layout does not use
  cells[cell(ResultField::Name)] = trimmedOrUnknown(record.StationName);
  cells[cell(ResultField::Format)] = trimmedOrUnknown(record.FormatText);
  cells[cell(ResultField::Location)] = cleanLocationView(record.Location, scratch.location, scratch.spare);
  const QByteArrayView trimmedSpeed = trimmedText(speed);
  cells[cell(ResultField::Speed)] =
      trimmedSpeed.isEmpty() || sameBytes(trimmedSpeed, "0k") ? kUnknown : trimmedSpeed;
  QByteArrayView address = record.StreamURL;
  while (!address.isEmpty() && (address.front() == '"' || address.front() == ' '))
    address = address.sliced(1);
  while (!address.isEmpty() && (address.back() == '"' || address.back() == ' ')) address.chop(1);
  cells[cell(ResultField::StreamUrl)] = trimmedText(address);
  cells[cell(ResultField::Website)] = record.WebsiteURL;
  const double speedValue = numberValue(speed);
  cells[cell(ResultField::SpeedNumber)] =
      speedValue == 0 || sameBytes(speed, "?bps")
          ? QByteArrayView("5000")
          : QByteArrayView(scratch.number, writeShortestNumber(speedValue, scratch.number));
  return ResultTableModel::NoPicture;
}

}  // namespace tessivar
