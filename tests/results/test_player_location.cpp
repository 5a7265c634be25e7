#include "base/program_options.h"
#include "base/settings_store.h"
#include "platform/file_associations.h"
#include "platform/process_starter.h"
#include "results/player_launch.h"
#include "results/player_location.h"
#include "support/fake_prompter.h"
#include "support/test_environment.h"
#include "support/test_services.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>

#include <memory>

using namespace tessivar;
using namespace Qt::Literals::StringLiterals;

namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray mimeTypeOf(const char *extension)
{
  return QMimeDatabase()
      .mimeTypeForFile("file"_L1 + QLatin1StringView(extension), QMimeDatabase::MatchExtension)
      .name()
      .toUtf8();
}

}  // namespace

// The desktop's associations read for real: a fake player's desktop entry is the default
// application for ".ram" files, and the player that is started writes down its arguments.
class TestPlayerLocation final : public QObject
{
  Q_OBJECT

 private:
  QTemporaryDir root_;
  QString player_;  // the fake player program (its folder has a blank in its name)
  QString argumentsFile_;
  test::OtherSeams seams_;
  DesktopFileAssociations associations_;
  DetachedProcessStarter processes_;

 private slots:
  void initTestCase()
  {
    QVERIFY(root_.isValid());
    // GIO reads these once, at its first use, which comes after this. Only the system's MIME
    // database is shared, so no installed application takes part.
    const QString systemData = root_.filePath(u"system"_s);
    QVERIFY(QDir().mkpath(systemData));
    if (QFileInfo::exists(u"/usr/share/mime"_s))
      QVERIFY(QFile::link(u"/usr/share/mime"_s, systemData + u"/mime"_s));
    qputenv("XDG_DATA_DIRS", systemData.toUtf8());
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY(!dataHome.isEmpty() && !configHome.isEmpty());

    const QByteArray ram = mimeTypeOf(".ram");
    const QByteArray asf = mimeTypeOf(".asf");
    if (ram == "application/octet-stream" || asf == "application/octet-stream")
      QSKIP("no MIME database knows .ram and .asf here");

    player_ = root_.filePath(u"Fake Player/fakeplayer"_s);
    argumentsFile_ = root_.filePath(u"arguments"_s);
    QVERIFY(writeFile(player_, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + argumentsFile_.toUtf8() +
                                   ".part\" && mv \"" + argumentsFile_.toUtf8() + ".part\" \"" +
                                   argumentsFile_.toUtf8() + "\"\n"));
    QVERIFY(QFile::setPermissions(player_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QVERIFY(writeFile(dataHome + u"/applications/fakeplayer.desktop"_s,
                      "[Desktop Entry]\nType=Application\nName=Fake Player\nExec=\"" + player_.toUtf8() +
                          "\" run org.videolan.VLC %U\nMimeType=" + ram + ";\n"));
    // ".asf" names a default that is not installed.
    QVERIFY(writeFile(configHome + u"/mimeapps.list"_s,
                      "[Default Applications]\n" + ram + "=fakeplayer.desktop\n" + asf + "=gone.desktop\n"));
  }

  // Each row: an extension and the player value found for it.
  void lookup_data()
  {
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("found");
    QTest::newRow("default application") << u".ram"_s << true;
    QTest::newRow("default not installed") << u".asf"_s << false;
    QTest::newRow("type without application") << u".wav"_s << false;
    QTest::newRow("unknown type") << u".nosuchtype"_s << false;
  }

  void lookup()
  {
    QFETCH(QString, extension);
    QFETCH(bool, found);
    const QString expected = found ? u"\""_s + player_ + u"\" run org.videolan.VLC"_s : QString();
    QCOMPARE(getShellCommand(associations_, processes_, extension), expected);
  }

  // Start-up finds the player, and playing a ".ram" stream starts it with its fixed arguments and
  // the address as one argument of its own.
  void foundPlayerIsStarted()
  {
    SettingsStore store(root_.filePath(u"settings.ini"_s));
    test::FakePrompter prompter;
    test::FakeShellOpener shell;
    AppServices services{
        store, prompter, shell, seams_.transfers, processes_, associations_, seams_.embeddedPlayer};
    ProgramOptions options(store);

    seams_.embeddedPlayer.present = false;
    locatePlayers(options, services);
    QVERIFY(options.realPlayerCommand().isEmpty());

    seams_.embeddedPlayer.present = true;
    locatePlayers(options, services);
    QVERIFY(!options.realPlayerCommand().isEmpty());
    QVERIFY(options.mediaPlayerCommand().isEmpty());

    PlayerLauncher launcher(options, services);
    QStringList status;
    connect(&launcher, &PlayerLauncher::statusTextChanged, this,
            [&status](int, const QString &text) { status << text; });
    const QString url = u"http://radio.example/live one.ram?id=1&x=$(id)"_s;
    QCoro::waitFor(launcher.launchURL(url, u"Station"_s));

    QCOMPARE(prompter.texts(), QStringList());
    QCOMPARE(status.last(), u"Launching RealPlayer"_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(argumentsFile_), 10000);
    QFile recorded(argumentsFile_);
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(recorded.readAll()), u"run\norg.videolan.VLC\n"_s + url + u"\n"_s);
  }
};

TESSIVAR_TEST_MAIN(TestPlayerLocation)
#include "test_player_location.moc"
