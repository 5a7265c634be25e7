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
#include <QMimeDatabase>
#include <QTemporaryDir>

using namespace tessivar;
using namespace Qt::Literals::StringLiterals;

// The desktop's associations read for real: a fake player's desktop entry (its program in a folder
// with a blank) is the default application for ".ram" files; started, it writes down its arguments.
class TestPlayerLocation final : public QObject
{
  Q_OBJECT

 private slots:
  void foundPlayerIsStarted()
  {
    QTemporaryDir root;
    const auto write = [](const QString &path, const QByteArray &content) {
      QDir().mkpath(QFileInfo(path).absolutePath());
      QFile file(path);
      return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    };
    const auto mimeType = [](const QString &extension) {
      return QMimeDatabase()
          .mimeTypeForFile(u"f"_s + extension, QMimeDatabase::MatchExtension)
          .name()
          .toUtf8();
    };
    // GIO reads these at its first use, below. Only the MIME database is shared with the system,
    // so no installed application takes part.
    QDir().mkpath(root.filePath(u"system"_s));
    QFile::link(u"/usr/share/mime"_s, root.filePath(u"system/mime"_s));
    qputenv("XDG_DATA_DIRS", root.filePath(u"system"_s).toUtf8());
    const QByteArray ram = mimeType(u".ram"_s), asf = mimeType(u".asf"_s);
    if (ram == asf) QSKIP("no MIME database knows .ram and .asf here");
    const QString player = root.filePath(u"Fake Player/fakeplayer"_s);
    const QString recorded = root.filePath(u"arguments"_s);
    const QByteArray out = recorded.toUtf8();
    QVERIFY(write(player, "#!/bin/sh\nprintf '%s\\n' \"$@\" >'" + out + ".part' && mv '" + out + ".part' '" +
                              out + "'\n"));
    QVERIFY(QFile::setPermissions(player, QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(write(qEnvironmentVariable("XDG_DATA_HOME") + u"/applications/fake.desktop"_s,
                  "[Desktop Entry]\nType=Application\nName=Fake\nExec=\"" + player.toUtf8() +
                      "\" run org.videolan.VLC %U\nMimeType=" + ram + ";\n"));
    // The default application for ".asf" is not installed.
    QVERIFY(write(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/mimeapps.list"_s,
                  "[Default Applications]\n" + ram + "=fake.desktop\n" + asf + "=gone.desktop\n"));

    SettingsStore store(root.filePath(u"settings.ini"_s));
    test::FakePrompter prompter;
    test::FakeShellOpener shell;
    test::OtherSeams seams;
    DesktopFileAssociations associations;
    DetachedProcessStarter processes;
    const AppServices services{
        store, prompter, shell, seams.transfers, processes, associations, seams.embeddedPlayer};
    ProgramOptions options(store);
    seams.embeddedPlayer.present = false;  // no embedded engine: the player counts as missing
    locatePlayers(options, services);
    QCOMPARE(options.realPlayerCommand(), QString());
    seams.embeddedPlayer.present = true;
    locatePlayers(options, services);
    QCOMPARE(options.realPlayerCommand(), u"\"%1\" run org.videolan.VLC"_s.arg(player));
    QCOMPARE(options.mediaPlayerCommand(), QString());

    // Played: the fixed arguments, then the address as one argument of its own.
    PlayerLauncher launcher(options, services);
    const QString url = u"http://radio.example/live;one.ram?id=1&x=$(id)"_s;
    QCoro::waitFor(launcher.launchURL(url, u"Station"_s));
    QCOMPARE(prompter.texts(), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(recorded), 10000);
    QFile arguments(recorded);
    QVERIFY(arguments.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(arguments.readAll()), u"run\norg.videolan.VLC\n"_s + url + u'\n');
  }
};

TESSIVAR_TEST_MAIN(TestPlayerLocation)
#include "test_player_location.moc"
