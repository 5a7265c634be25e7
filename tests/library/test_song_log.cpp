#include "library/song_log.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessivar;

class TestSongLog : public QObject
{
  Q_OBJECT

 private slots:
  void onlyNewTitlesAreLogged();
  void aDamagedLineCostsOnlyItself();
  void theNewestTitlesAreKept();
  void csvExportQuotesWhatNeedsIt();
};

void TestSongLog::onlyNewTitlesAreLogged()
{
  QTemporaryDir dir;
  SongLog log(dir.filePath(QStringLiteral("songs.log")));
  const QString a = QStringLiteral("http://a/"), b = QStringLiteral("http://b/");
  struct Step
  {
    QString station, url, title;
    SongLog::Outcome outcome;
  };
  const QList<Step> steps{
      {QStringLiteral("Radio A"), a, QStringLiteral("Artist - Song"), SongLog::Outcome::Logged},
      {QStringLiteral("Radio A"), a, QStringLiteral("Artist - Song"), SongLog::Outcome::Skipped},
      {QStringLiteral("Radio B"), b, QStringLiteral("Artist - Song"), SongLog::Outcome::Logged},
      {QStringLiteral("Radio A"), a, QStringLiteral("  "), SongLog::Outcome::Skipped},
      {QStringLiteral("Radio A"), a, QStringLiteral("radio a"), SongLog::Outcome::Skipped},
      {QStringLiteral("Radio A"), a, QStringLiteral("Tab\there\\ and\nline"), SongLog::Outcome::Logged},
  };
  for (const Step &step : steps) QCOMPARE(log.record(step.station, step.url, step.title), step.outcome);

  SongLog reread(log.path());
  QCOMPARE(reread.load(), 0);
  QCOMPARE(reread.songs(), log.songs());
  QCOMPARE(reread.songs().size(), 3);
}

void TestSongLog::aDamagedLineCostsOnlyItself()
{
  QTemporaryDir dir;
  SongLog log(dir.filePath(QStringLiteral("songs.log")));
  log.record(QStringLiteral("R"), QStringLiteral("http://r/"), QStringLiteral("First"));
  {
    // A line cut short by a crash or a full disk, and a stray line.
    QFile file(log.path());
    QVERIFY(file.open(QIODevice::Append));
    file.write("garbage\n2026-01-01T00:00:00.000Z\tR\thttp://r/\tSec");
  }
  QCOMPARE(log.record(QStringLiteral("R"), QStringLiteral("http://r/"), QStringLiteral("Third")),
           SongLog::Outcome::Logged);

  SongLog reread(log.path());
  QCOMPARE(reread.load(), 2);
  QCOMPARE(reread.songs().size(), 2);
  QCOMPARE(reread.songs().last().title, QStringLiteral("Third"));
}

void TestSongLog::theNewestTitlesAreKept()
{
  QTemporaryDir dir;
  SongLog log(dir.filePath(QStringLiteral("songs.log")), 10);
  for (int i = 0; i < 25; ++i)
    log.record(QStringLiteral("R"), QStringLiteral("http://r/"), QString::number(i));
  SongLog reread(log.path(), 10);
  reread.load();
  QCOMPARE(reread.songs().size(), 10);
  QCOMPARE(reread.songs().first().title, QStringLiteral("15"));
  QFile file(log.path());
  QVERIFY(file.open(QIODevice::ReadOnly));
  QVERIFY(file.readAll().count('\n') <= 11);

  QVERIFY(log.clear());
  QVERIFY(reread.load() == 0 && reread.songs().isEmpty());
}

void TestSongLog::csvExportQuotesWhatNeedsIt()
{
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("songs.csv"));
  const QDateTime when = QDateTime::fromString(QStringLiteral("2026-12-08T10:00:00Z"), Qt::ISODate);
  QString error;
  QVERIFY(exportSongsCsv(
      {{when, QStringLiteral("Jazz, Live"), QStringLiteral("http://j/"), QStringLiteral("Say \"Hi\"")}}, path,
      &error));
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  QCOMPARE(lines[0], QByteArray("Time,Station,Title,Address\r"));
  QVERIFY(lines[1].endsWith(",\"Jazz, Live\",\"Say \"\"Hi\"\"\",http://j/\r"));
  QVERIFY(!exportSongsCsv({}, dir.filePath(QStringLiteral("missing/x.csv")), &error));
  QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestSongLog)
#include "test_song_log.moc"
