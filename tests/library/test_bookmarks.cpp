#include "file_size_limit.h"
#include "library/bookmarks.h"
#include "platform/station_list.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"

#include <QDir>
#include <QTemporaryDir>

using namespace tessivar;
using test::FakePrompter;

namespace {

QByteArray readAll(const QString &path)
{
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(bytes), bytes.size());
}

QList<ListEntry> entries(std::initializer_list<const char *> names)
{
  QList<ListEntry> result;
  for (const char *name : names)
    result.append(
        {QString::fromUtf8(name), QStringLiteral("http://clips.example/") + QString::fromUtf8(name), 0});
  return result;
}

}  // namespace

class TestBookmarks final : public QObject
{
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  FakePrompter prompter_;
  QString path() const { return dir_->filePath(QStringLiteral("data/Bookmarks.lst")); }

  // The entries a fresh window would load from the file.
  QList<ListEntry> onDisk() const
  {
    FakePrompter quiet;
    Bookmarks fresh(path(), quiet);
    fresh.load();
    return fresh.list().entries();
  }

 private slots:
  void init()
  {
    dir_ = std::make_unique<QTemporaryDir>();
    prompter_ = FakePrompter();
  }

  void addsAtTheSelectionAndDeleteRemovesEverySelected()
  {
    Bookmarks bookmarks(path(), prompter_);
    bookmarks.load();  // no file yet: empty
    StationList &list = bookmarks.list();
    bookmarks.insertEntries(entries({"a", "b"}));
    bookmarks.insertEntries(entries({"a"}));  // duplicates from the grid are kept
    QCOMPARE(onDisk(), entries({"a", "b", "a"}));

    list.setSelected(1, true);
    list.setCurrentIndex(1);
    bookmarks.insertEntries(entries({"x", "y"}));
    QCOMPARE(onDisk(), entries({"a", "x", "y", "b", "a"}));

    // Entries already present by link are not added again from the played list.
    QCOMPARE(bookmarks.insertNewEntries(entries({"y", "z"})), 1);

    list.clearSelection();
    for (int index : {0, 2, 4}) list.setSelected(index, true);
    bookmarks.removeSelected();
    QCOMPARE(onDisk(), entries({"x", "z", "a"}));
    QVERIFY(prompter_.prompts.isEmpty());
  }

  void fullDiskKeepsTheEarlierFile()
  {
    Bookmarks bookmarks(path(), prompter_);
    bookmarks.insertEntries(entries({"a", "b"}));
    const QByteArray earlier = readAll(path());
    QList<ListEntry> many;
    for (int n = 0; n < 200; ++n) many += entries({"a long enough name to fill the file past its limit"});
    {
      const test::FileSizeLimit fullDisk(earlier.size() + 1);
      bookmarks.insertEntries(many);
    }
    QCOMPARE(prompter_.prompts.size(), 1);
    QVERIFY(prompter_.texts().last().startsWith(QStringLiteral("Your bookmarks could not be saved.")));
    QCOMPARE(readAll(path()), earlier);
    QCOMPARE(bookmarks.list().count(), 202);  // nothing lost in the window either
  }

  void unreadableFileIsKeptAndEarlierFilesLoad()
  {
    QDir().mkpath(QFileInfo(path()).absolutePath());
    // A list as earlier builds wrote it, and the temporary file of a save killed before its rename.
    const QByteArray earlier = "Tessivar list 1\nKind of Blue [ 42]\thttp://c/blue.rm\t0\nend\t1\n";
    writeAll(path(), earlier);
    writeAll(path() + QStringLiteral(".Xy12Ab"), earlier.left(30));
    QCOMPARE(
        onDisk(),
        (QList<ListEntry>{{QStringLiteral("Kind of Blue [ 42]"), QStringLiteral("http://c/blue.rm"), 0}}));

    const QByteArray damaged = "Tessivar list 1\nprecious\thttp://p\t0\n";
    writeAll(path(), damaged);
    {
      Bookmarks bookmarks(path(), prompter_);
      bookmarks.load();
      QVERIFY(prompter_.texts().value(0).startsWith(QStringLiteral("Your bookmarks could not be read.")));
      bookmarks.unload();
    }
    QCOMPARE(readAll(path()), damaged);

    // A change replaces the file, and the unreadable one is kept beside it.
    Bookmarks bookmarks(path(), prompter_);
    bookmarks.load();
    bookmarks.insertEntries(entries({"a"}));
    QCOMPARE(onDisk(), entries({"a"}));
    QCOMPARE(readAll(path() + QStringLiteral(".unreadable")), damaged);
  }

  void playlistsRoundTrip_data()
  {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("marker");
    QTest::newRow("m3u") << QStringLiteral("out.m3u") << QByteArray("#EXTINF:-1,Tab Title\n");
    QTest::newRow("pls") << QStringLiteral("out.PLS") << QByteArray("Title1=Tab Title\n");
  }

  void playlistsRoundTrip()
  {
    QFETCH(QString, name);
    QFETCH(QByteArray, marker);
    const QString playlist = dir_->filePath(name);
    Bookmarks source(path(), prompter_);
    const QList<ListEntry> kept = {{QStringLiteral("Tab\tTitle"), QStringLiteral("http://c/1.rm?a=1&b=2"), 0},
                                   {QStringLiteral("Ünïcode, [ 7] = x"), QStringLiteral("mms://c/2.wmv"), 0},
                                   {QStringLiteral("no address"), QString(), 0}};
    source.insertEntries(kept);
    QVERIFY(source.exportPlaylist(playlist, playlistFormatForPath(playlist)));
    QVERIFY(readAll(playlist).contains(marker));
    QVERIFY(prompter_.texts().last().contains(QStringLiteral("1 without a usable address")));

    Bookmarks target(dir_->filePath(QStringLiteral("other.lst")), prompter_);
    QVERIFY(target.importPlaylist(playlist));
    QCOMPARE(target.list().entries(),
             (QList<ListEntry>{{QStringLiteral("Tab Title"), kept.at(0).secondText, 0}, kept.at(1)}));
    QVERIFY(!target.importPlaylist(playlist));  // all already there: nothing added
  }

  void badPlaylistsChangeNothing_data()
  {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("binary") << QByteArray("#EXTM3U\n\0\1\2", 11) << QStringLiteral("it is not a text file.");
    QTest::newRow("pls stray line") << QByteArray("[playlist]\nFile1=http://a/\nrm -rf\n")
                                    << QStringLiteral("line 3 is not a playlist entry.");
    QTest::newRow("huge") << QByteArray(maxPlaylistBytes + 1, '#')
                          << QStringLiteral("it is larger than 4 MB, too large for a playlist.");
    QTest::newRow("only unsafe addresses")
        << QByteArray("#EXTM3U\nfile:///etc/passwd\n-rf\njavascript:x\n/home/u/a.mp3\nhttp://\n")
        << QStringLiteral("No bookmarks were imported from %1. 5 entries were skipped");
  }

  void badPlaylistsChangeNothing()
  {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString playlist = dir_->filePath(QStringLiteral("in.m3u"));
    writeAll(playlist, bytes);
    Bookmarks bookmarks(path(), prompter_);
    bookmarks.insertEntries(entries({"a"}));
    const QByteArray before = readAll(path());
    QVERIFY(!bookmarks.importPlaylist(playlist));
    QVERIFY2(prompter_.texts().last().contains(message.replace(QStringLiteral("%1"), playlist)),
             qPrintable(prompter_.texts().last()));
    QCOMPARE(bookmarks.list().entries(), entries({"a"}));
    QCOMPARE(readAll(path()), before);
  }
};

TESSIVAR_TEST_MAIN(TestBookmarks)
#include "test_bookmarks.moc"
