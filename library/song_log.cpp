#include "library/song_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tessivar {

namespace {

QString escaped(const QString &field)
{
  QString out;
  out.reserve(field.size());
  for (const QChar c : field) {
    if (c == u'\\')
      out += QStringLiteral("\\\\");
    else if (c == u'\t')
      out += QStringLiteral("\\t");
    else if (c == u'\n')
      out += QStringLiteral("\\n");
    else if (c == u'\r')
      out += QStringLiteral("\\r");
    else
      out += c;
  }
  return out;
}

// The field with its escapes undone; false for an escape the writer never makes.
bool unescaped(QStringView field, QString &out)
{
  out.clear();
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field[i] != u'\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) return false;
    switch (field[i].unicode()) {
      case '\\':
        out += u'\\';
        break;
      case 't':
        out += u'\t';
        break;
      case 'n':
        out += u'\n';
        break;
      case 'r':
        out += u'\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

QByteArray lineOf(const HeardSong &song)
{
  return (song.time.toUTC().toString(Qt::ISODateWithMs) + u'\t' + escaped(song.station) + u'\t' +
          escaped(song.url) + u'\t' + escaped(song.title) + u'\n')
      .toUtf8();
}

bool parseLine(QByteArrayView line, HeardSong &song)
{
  const QString text = QString::fromUtf8(line);
  const QList<QStringView> fields = QStringView(text).split(u'\t');
  if (fields.size() != 4) return false;
  song.time = QDateTime::fromString(fields[0].toString(), Qt::ISODateWithMs);
  return song.time.isValid() && unescaped(fields[1], song.station) && unescaped(fields[2], song.url) &&
         unescaped(fields[3], song.title) && !song.title.isEmpty();
}

QString csvField(const QString &field)
{
  if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n') && !field.contains(u'\r'))
    return field;
  return u'"' + QString(field).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

}  // namespace

SongLog::SongLog(QString path, int capacity, QObject *parent)
    : QObject(parent), path_(std::move(path)), capacity_(qMax(1, capacity))
{
}

int SongLog::load()
{
  songs_.clear();
  linesInFile_ = 0;
  QFile file(path_);
  if (!file.exists()) {
    emit songsReplaced();
    return 0;
  }
  if (!file.open(QIODevice::ReadOnly)) {
    lastError_ = file.errorString();
    emit songsReplaced();
    return -1;
  }
  const QByteArray data = file.readAll();
  int damaged = 0;
  qsizetype start = 0;
  while (start < data.size()) {
    const qsizetype end = data.indexOf('\n', start);
    // A last line without its end is one whose writing was cut short.
    const QByteArrayView line(data.constData() + start, (end < 0 ? data.size() : end) - start);
    ++linesInFile_;
    HeardSong song;
    if (end >= 0 && parseLine(line, song))
      songs_.append(song);
    else
      ++damaged;
    if (end < 0) break;
    start = end + 1;
  }
  if (songs_.size() > capacity_) songs_.remove(0, songs_.size() - capacity_);
  emit songsReplaced();
  return damaged;
}

SongLog::Outcome SongLog::record(const QString &station, const QString &url, const QString &title,
                                 const QDateTime &when)
{
  const QString heard = title.trimmed();
  if (heard.isEmpty() || heard.compare(station.trimmed(), Qt::CaseInsensitive) == 0) return Outcome::Skipped;
  for (auto it = songs_.crbegin(); it != songs_.crend(); ++it) {
    if (it->url != url) continue;
    if (it->title == heard) return Outcome::Skipped;
    break;
  }
  const HeardSong song{when, station, url, heard};
  if (!append(lineOf(song))) return Outcome::Failed;
  songs_.append(song);
  ++linesInFile_;
  if (songs_.size() > capacity_) songs_.removeFirst();
  emit songAdded(song);
  compactIfDue();
  return Outcome::Logged;
}

bool SongLog::append(const QByteArray &line)
{
  QDir().mkpath(QFileInfo(path_).absolutePath());
  QFile file(path_);
  if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
    lastError_ = file.errorString();
    return false;
  }
  const qint64 size = file.size();
  QByteArray bytes = line;
  // A line cut short earlier is closed with an extra field, so that the reader passes over it and
  // it does not swallow this one.
  if (size > 0 && file.seek(size - 1) && file.peek(1) != "\n") bytes.prepend("\t\n");
  if (file.write(bytes) == bytes.size()) return true;
  lastError_ = file.errorString();
  // What was written of it is taken back where the file system allows.
  file.resize(size);
  return false;
}

void SongLog::compactIfDue()
{
  if (linesInFile_ <= capacity_ + capacity_ / 10) return;
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return;
  for (const HeardSong &song : std::as_const(songs_)) file.write(lineOf(song));
  // Failing that, the file keeps growing by a line a title until a rewrite succeeds.
  if (file.commit()) linesInFile_ = int(songs_.size());
}

bool SongLog::clear()
{
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly) || !file.commit()) {
    lastError_ = file.errorString();
    return false;
  }
  songs_.clear();
  linesInFile_ = 0;
  emit songsReplaced();
  return true;
}

bool exportSongsCsv(const QList<HeardSong> &songs, const QString &path, QString *error)
{
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly)) {
    file.write("Time,Station,Title,Address\r\n");
    for (const HeardSong &song : songs) {
      const QString row = csvField(song.time.toLocalTime().toString(Qt::ISODate)) + u',' +
                          csvField(song.station) + u',' + csvField(song.title) + u',' + csvField(song.url);
      file.write(row.toUtf8() + "\r\n");
    }
    if (file.commit()) return true;
  }
  if (error) *error = file.errorString();
  return false;
}

QString defaultSongLogPath()
{
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
      .filePath(QStringLiteral("SongsHeard.log"));
}

}  // namespace tessivar
