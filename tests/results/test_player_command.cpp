#include "platform/process_starter.h"
#include "results/player_command.h"
#include "support/test_environment.h"

using namespace tessivar;
using namespace Qt::Literals::StringLiterals;

namespace {

// Finds exactly the programs it lists.
class ListedPrograms final : public ProcessStarter
{
 public:
  explicit ListedPrograms(QStringList programs) : programs_(std::move(programs)) {}
  QString findProgram(const QString &program) const override
  {
    return programs_.contains(program) ? program : QString();
  }
  bool start(const QString &, const QStringList &) override { return false; }

 private:
  QStringList programs_;
};

}  // namespace

class TestPlayerCommand final : public QObject
{
  Q_OBJECT

 private slots:
  // Each row: an open command as the desktop (or a Windows registry) gives it, and the program
  // and fixed arguments kept of it.
  void openCommand_data()
  {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    const auto row = [](const char *name, const QString &line, const QString &program,
                        const QStringList &arguments = {}) {
      QTest::newRow(name) << line << program << arguments;
    };
    row("windows quoted path and placeholder", u"\"C:\\Program Files\\Real\\realplay.exe\" \"%1\""_s,
        u"C:\\Program Files\\Real\\realplay.exe"_s);
    row("windows exe in any case, arguments cut", u"  c:\\wmp\\WMPlayer.Exe /prefetch:1 \"%L\""_s,
        u"c:\\wmp\\WMPlayer.Exe"_s);
    row("windows share", u"\\\\server\\apps\\xing.exe %1"_s, u"\\\\server\\apps\\xing.exe"_s);
    row("windows without exe is none", u"C:\\players\\play.com %1"_s, {});
    row("one character is none", u"x"_s, {});
    row("blank", u"   "_s, {});
    row("exec field code dropped", u"/usr/bin/mpv %U"_s, u"/usr/bin/mpv"_s);
    row("exec tab separated", u"vlc\t%f"_s, u"vlc"_s);
    row("fixed arguments kept", u"flatpak run org.videolan.VLC %U"_s, u"flatpak"_s,
        {u"run"_s, u"org.videolan.VLC"_s});
    row("file forwarding markers dropped",
        u"/usr/bin/flatpak run --command=vlc --file-forwarding org.videolan.VLC @@u %U @@"_s,
        u"/usr/bin/flatpak"_s, {u"run"_s, u"--command=vlc"_s, u"--file-forwarding"_s, u"org.videolan.VLC"_s});
    row("quoted program, escapes in quotes", u"\"/opt/My Player/pla\\\"yer\" --title \"a \\$b\\\\c\" %f"_s,
        u"/opt/My Player/pla\"yer"_s, {u"--title"_s, u"a $b\\c"_s});
    row("percent escape and codes without files", u"vlc %i %c %k --volume=50%% %U"_s, u"vlc"_s,
        {u"--volume=50%"_s});
    row("argument carrying the address dropped", u"player --open=%u -q"_s, u"player"_s, {u"-q"_s});
    row("empty quoted argument kept", u"prog \"\" %U"_s, u"prog"_s, {QString()});
    row("open quote is none", u"\"/usr/bin/vlc %U"_s, {});
  }

  void openCommand()
  {
    QFETCH(QString, commandLine);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const PlayerCommand command = parseOpenCommand(commandLine);
    QCOMPARE(command.program, program);
    QCOMPARE(command.arguments, arguments);
  }

  // The value kept for a player gives back the same command when it is played, also when the
  // program or an argument needs quoting, and a typed path with blanks is taken whole.
  void valueGivesCommandBack()
  {
    const ListedPrograms finder({u"/usr/bin/flatpak"_s, u"/opt/My Player/play"_s, u"/usr/bin/p"_s});
    const QList<PlayerCommand> commands{
        {u"/usr/bin/flatpak"_s, {u"run"_s, u"org.videolan.VLC"_s}},
        {u"/opt/My Player/play"_s, {u"--x"_s}},
        {u"/usr/bin/p"_s, {u"a b"_s, u"q\"$`\\"_s, u"50%"_s, QString(), u"%U"_s}},
        {u"/opt/My Player/play"_s, {}},
    };
    for (const PlayerCommand &command : commands) {
      const QString text = playerCommandText(command);
      QCOMPARE(playerCommandFromText(text, finder), command);
    }
    QCOMPARE(playerCommandText({u"/usr/bin/flatpak"_s, {u"run"_s, u"org.videolan.VLC"_s}}),
             u"/usr/bin/flatpak run org.videolan.VLC"_s);
    // A program that is not there (a stale path) gives no command.
    QVERIFY(playerCommandFromText(u"/gone/player --x"_s, finder).isEmpty());
    QVERIFY(playerCommandFromText(u"  "_s, finder).isEmpty());
  }
};

TESSIVAR_TEST_MAIN(TestPlayerCommand)
#include "test_player_command.moc"
