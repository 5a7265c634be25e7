#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

namespace tessivar {

// One stream title heard.
struct HeardSong
{
  QDateTime time;
  QString station;
  QString url;
  QString title;

  bool operator==(const HeardSong &) const = default;
};

// The titles heard on the streams the program played: SongsHeard.log in the user's data folder,
// one line per title (time, station, address, title; tab-separated, escaped). Each title is
// appended with one write, so a crash or a full disk costs at most the line being written; the
// reader passes over lines it cannot read. Keeps the newest `capacity` titles: once the file
// holds a tenth more, it is rewritten whole and atomically with the newest ones.
class SongLog final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(SongLog)

 public:
  enum class Outcome { Logged, Skipped, Failed };

  explicit SongLog(QString path, int capacity = 10000, QObject *parent = nullptr);

  [[nodiscard]] const QString &path() const { return path_; }
  // Oldest first.
  [[nodiscard]] const QList<HeardSong> &songs() const { return songs_; }
  // Why the last read or write failed.
  [[nodiscard]] const QString &lastError() const { return lastError_; }

  // Reads the file (a missing file is an empty log). The number of lines passed over as damaged,
  // or -1 when the file could not be read.
  int load();
  // Logs a title unless it is empty, repeats the last title logged from the same stream, or is
  // the station's own name.
  Outcome record(const QString &station, const QString &url, const QString &title,
                 const QDateTime &when = QDateTime::currentDateTimeUtc());
  // Empties the log and its file.
  bool clear();

 signals:
  void songAdded(const tessivar::HeardSong &song);
  void songsReplaced();

 private:
  bool append(const QByteArray &line);
  void compactIfDue();

  QString path_;
  int capacity_;
  QList<HeardSong> songs_;
  // Lines in the file, read or appended: when to compact.
  int linesInFile_ = 0;
  QString lastError_;
};

// The songs as CSV (time, station, title, address; a header line first), written atomically.
bool exportSongsCsv(const QList<HeardSong> &songs, const QString &path, QString *error);
// Where the log is kept: SongsHeard.log in the user's data folder for the program.
QString defaultSongLogPath();

}  // namespace tessivar
