#include "library/playlist_file.h"

#include "platform/stream_address.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QUrl>

namespace tessivar {

namespace {

bool hasControlCharacter(const QString &text)
{
  return std::any_of(text.cbegin(), text.cend(),
                     [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

// A title on one line.
QString oneLine(QString title)
{
  for (QChar &c : title) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = u' ';
  }
  return title;
}

// The comma that ends the duration and attributes of an "#EXTINF:" line (attribute values in
// quotes may hold commas), or -1.
qsizetype titleComma(const QString &line)
{
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (line.at(i) == u'"') quoted = !quoted;
    if (line.at(i) == u',' && !quoted) return i;
  }
  return -1;
}

QString playlistText(const QByteArray &bytes)
{
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  // Older players write their playlists in Latin-1.
  if (utf8.hasError()) text = QString::fromLatin1(bytes);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  return text;
}

PlaylistDecoding refused(const QString &why)
{
  PlaylistDecoding result;
  result.error = why;
  return result;
}

QString tooMany()
{
  return QStringLiteral("it holds more than %1 entries.").arg(maxPlaylistEntries);
}

void addEntry(PlaylistDecoding &result, const QString &title, const QString &address)
{
  if (isStreamAddress(address)) {
    result.entries.append({title.isEmpty() ? address : title, address, 0});
  } else {
    ++result.skipped;
  }
}

PlaylistDecoding decodeM3u(const QStringList &lines)
{
  PlaylistDecoding result;
  QString title;
  for (const QString &line : lines) {
    const QString text = line.trimmed();
    if (text.isEmpty()) continue;
    if (text.startsWith(u'#')) {
      if (text.startsWith(QStringLiteral("#EXTINF:"), Qt::CaseInsensitive)) {
        const qsizetype comma = titleComma(text);
        title = comma >= 0 ? text.mid(comma + 1).trimmed() : QString();
      }
      continue;
    }
    addEntry(result, title, text);
    title.clear();
    if (result.entries.size() + result.skipped > maxPlaylistEntries) return refused(tooMany());
  }
  if (result.entries.isEmpty() && result.skipped == 0)
    return refused(QStringLiteral("it holds no playlist entries."));
  result.ok = true;
  return result;
}

PlaylistDecoding decodePls(const QStringList &lines)
{
  static const QRegularExpression numbered(QStringLiteral("\\A(file|title|length)([0-9]+)\\z"),
                                           QRegularExpression::CaseInsensitiveOption);
  QMap<int, QString> files;
  QMap<int, QString> titles;
  bool inPlaylist = false;
  for (qsizetype n = 0; n < lines.size(); ++n) {
    const QString text = lines.at(n).trimmed();
    if (text.isEmpty() || text.startsWith(u';') || text.startsWith(u'#')) continue;
    if (text.startsWith(u'[') && text.endsWith(u']')) {
      inPlaylist = text.compare(QStringLiteral("[playlist]"), Qt::CaseInsensitive) == 0;
      continue;
    }
    const qsizetype equals = text.indexOf(u'=');
    if (equals <= 0) return refused(QStringLiteral("line %1 is not a playlist entry.").arg(n + 1));
    if (!inPlaylist) continue;
    const QRegularExpressionMatch match = numbered.match(text.left(equals).trimmed());
    if (!match.hasMatch()) continue;  // NumberOfEntries, Version and the like
    bool ok = false;
    const int number = match.captured(2).toInt(&ok);
    if (!ok || number < 1 || number > maxPlaylistEntries)
      return refused(QStringLiteral("line %1 has an entry number out of range.").arg(n + 1));
    const QString key = match.captured(1).toLower();
    const QString value = text.mid(equals + 1).trimmed();
    if (key == QStringLiteral("file")) {
      files.insert(number, value);
    } else if (key == QStringLiteral("title")) {
      titles.insert(number, value);
    }
  }
  if (files.isEmpty()) return refused(QStringLiteral("it holds no playlist entries."));
  PlaylistDecoding result;
  for (auto file = files.cbegin(); file != files.cend(); ++file)
    addEntry(result, titles.value(file.key()), file.value());
  result.ok = true;
  return result;
}

}  // namespace

PlaylistFormat playlistFormatForPath(const QString &path)
{
  return path.endsWith(QStringLiteral(".pls"), Qt::CaseInsensitive) ? PlaylistFormat::Pls
                                                                    : PlaylistFormat::M3u;
}

PlaylistEncoding encodePlaylist(const QList<ListEntry> &entries, PlaylistFormat format)
{
  PlaylistEncoding result;
  QString text = format == PlaylistFormat::Pls ? QStringLiteral("[playlist]\n") : QStringLiteral("#EXTM3U\n");
  int number = 0;
  for (const ListEntry &entry : entries) {
    const QString address = entry.secondText.trimmed();
    if (address.isEmpty() || hasControlCharacter(address)) {
      ++result.skipped;
      continue;
    }
    const QString title = oneLine(entry.text);
    ++number;
    if (format == PlaylistFormat::Pls) {
      const QString n = QString::number(number);
      text += QStringLiteral("File") + n + u'=' + address + u'\n';
      text += QStringLiteral("Title") + n + u'=' + title + u'\n';
      text += QStringLiteral("Length") + n + QStringLiteral("=-1\n");
    } else {
      text += QStringLiteral("#EXTINF:-1,") + title + u'\n' + address + u'\n';
    }
  }
  if (format == PlaylistFormat::Pls)
    text += QStringLiteral("NumberOfEntries=") + QString::number(number) + QStringLiteral("\nVersion=2\n");
  result.bytes = text.toUtf8();
  return result;
}

PlaylistDecoding decodePlaylist(const QByteArray &bytes)
{
  if (bytes.contains('\0')) return refused(QStringLiteral("it is not a text file."));
  const QStringList lines = playlistText(bytes).split(u'\n');
  const auto first = std::find_if(lines.cbegin(), lines.cend(),
                                  [](const QString &line) { return !line.trimmed().isEmpty(); });
  const bool pls = first != lines.cend() &&
                   first->trimmed().compare(QStringLiteral("[playlist]"), Qt::CaseInsensitive) == 0;
  return pls ? decodePls(lines) : decodeM3u(lines);
}

QString writePlaylistFile(const QString &path, const QByteArray &bytes)
{
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return file.errorString();
  return {};
}

PlaylistDecoding readPlaylistFile(const QString &path)
{
  const QFileInfo info(path);
  if (!info.isFile()) return refused(QStringLiteral("it is not a file."));
  const QString tooLarge = QStringLiteral("it is larger than %1 MB, too large for a playlist.")
                               .arg(maxPlaylistBytes / (1024 * 1024));
  if (info.size() > maxPlaylistBytes) return refused(tooLarge);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return refused(file.errorString());
  const QByteArray bytes = file.read(maxPlaylistBytes + 1);
  if (file.error() != QFileDevice::NoError) return refused(file.errorString());
  if (bytes.size() > maxPlaylistBytes) return refused(tooLarge);
  return decodePlaylist(bytes);
}

}  // namespace tessivar
