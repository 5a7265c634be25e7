#include "platform/process_starter.h"
#include "results/player_command.h"
#include "support/test_environment.h"

using namespace tessivar;
using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(tessivar::PlayerCommand)

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
  QProcess *startChild(const QString &, const QStringList &, QObject *) override { return nullptr; }

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
    QTest::addColumn<PlayerCommand>("command");
    const auto row = [](const char *name, const QString &line, const PlayerCommand &command) {
      QTest::newRow(name) << line << command;
    };
    row("windows quoted path and placeholder", u"\"C:\\Program Files\\Real\\realplay.exe\" \"%1\""_s,
        {u"C:\\Program Files\\Real\\realplay.exe"_s, {}});
    row("windows without exe", u"C:\\players\\play.com %1"_s, {});
    row("one character", u"x"_s, {});
    row("fixed arguments", u"flatpak run org.videolan.VLC %U"_s,
        {u"flatpak"_s, {u"run"_s, u"org.videolan.VLC"_s}});
    row("file forwarding", u"/usr/bin/flatpak run --file-forwarding org.videolan.VLC @@u %U @@"_s,
        {u"/usr/bin/flatpak"_s, {u"run"_s, u"--file-forwarding"_s, u"org.videolan.VLC"_s}});
    row("quotes and escapes", u"\"/opt/My Player/pla\\\"yer\" --title \"a \\$b\\\\c\" %f"_s,
        {u"/opt/My Player/pla\"yer"_s, {u"--title"_s, u"a $b\\c"_s}});
    row("other codes, %%", u"vlc %i %c %k --volume=50%% --open=%u"_s, {u"vlc"_s, {u"--volume=50%"_s}});
    row("open quote", u"\"/usr/bin/vlc %U"_s, {});
  }

  void openCommand()
  {
    QFETCH(QString, commandLine);
    QFETCH(PlayerCommand, command);
    const PlayerCommand parsed = parseOpenCommand(commandLine);
    QCOMPARE(parsed.program, command.program);
    QCOMPARE(parsed.arguments, command.arguments);
  }

  // A player's value gives back its command when it is played, also where quoting is needed; a
  // program that is gone gives none.
  void valueGivesCommandBack()
  {
    const ListedPrograms finder({u"/opt/My Player/play"_s});
    const PlayerCommand command{u"/opt/My Player/play"_s,
                                {u"a b"_s, u"q\"$`\\"_s, u"50%"_s, QString(), u"%U"_s}};
    QCOMPARE(playerCommandFromText(playerCommandText(command), finder), command);
    QVERIFY(playerCommandFromText(u"/gone/player --x"_s, finder).isEmpty());
  }
};

TESSIVAR_TEST_MAIN(TestPlayerCommand)
#include "test_player_command.moc"
