// The scanner's texts: styles and the request address, the station answer, the resume record,
// and what a player's state shows.
#include "scanner/scan_play_states.h"
#include "scanner/scan_request.h"
#include "scanner/scan_resume.h"
#include "scanner/scan_styles.h"
#include "scanner/station_answer.h"
#include "support/test_environment.h"

using namespace tessivar;
using Kind = StationAnswer::Kind;
using State = EmbeddedPlayState;

class TestScanAnswers final : public QObject
{
  Q_OBJECT

 private slots:
  void styles()
  {
    QCOMPARE(scanStyles().size(), 34);
    QCOMPARE(scanStyles().first(), u"*All Stations"_qs);
    QCOMPARE(scanStyles().last(), u"Zydeco"_qs);
    QCOMPARE(styleParameter(u"*All Stations"_qs), QString());
    QCOMPARE(styleParameter(u"60s"_qs), u"&STYLE=60s,60's,1960,sixties"_qs);
    QCOMPARE(styleParameter(u"Ska"_qs), u"&STYLE=^ska^,^ska$,ska-,ska/,skamusic,`ska"_qs);
    QCOMPARE(styleParameter(u"Techno"_qs), u"&STYLE=techno^,techno$,techno-,techno/,technomusic"_qs);
    QCOMPARE(styleParameter(u"Special (Police, Emergency, Scanner)"_qs), u"&STYLE=special"_qs);
    QCOMPARE(styleParameter(u"Talk/News"_qs), u"&STYLE=Talk/News"_qs);
  }

  void address_data()
  {
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("unknown");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blank in style") << u"Big Band"_qs << false << u"0"_qs << u"Cable/DSL"_qs
                                    << u"/tessivar37.asp?V=3.7&P=T&STYLE=Big+Band&GS=1&UNK=0&LS=0&SPD=300"_qs;
    QTest::newRow("all stations") << u"*All Stations"_qs << true << u"0"_qs << u"All Connections"_qs
                                  << u"/tessivar37.asp?V=3.7&P=T&GS=1&UNK=1&LS=0&SPD=0"_qs;
    QTest::newRow("marks escaped")
        << u"Ska"_qs << false << u"17"_qs << u"Phone Modem 56k"_qs
        << u"/tessivar37.asp?V=3.7&P=T&STYLE=%5Eska%5E,%5Eska$,ska-,ska/,skamusic,%60ska"
           u"&GS=1&UNK=0&LS=17&SPD=56"_qs;
    QTest::newRow("token is one value")
        << u"Jazz"_qs << false << u"1&2#3"_qs << QString()
        << u"/tessivar37.asp?V=3.7&P=T&STYLE=Jazz&GS=1&UNK=0&LS=1%262%233&SPD=0"_qs;
  }

  void address()
  {
    QFETCH(QString, style);
    QFETCH(bool, unknown);
    QFETCH(QString, position);
    QFETCH(QString, speed);
    QFETCH(QString, expected);
    QCOMPARE(scanAddress(ScanRequest{u"dir.test:81"_qs, style, unknown, position, speed}),
             u"http://dir.test:81"_qs + expected);
  }

  void answer_data()
  {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("bitRate");
    const auto station = [](const QByteArray &token, const QByteArray &name, const QByteArray &rate) {
      return token + "@@@@http://site/@@@@" + name + "@@@@http://s/x.mp3@@@@MP3@@@@Ohio@@@@USA@@@@" + rate;
    };
    QTest::newRow("station") << station("5", "Radio One", "128k<BR>") << int(Kind::Station) << u"Radio One"_qs
                             << u"128k"_qs;
    QTest::newRow("rate without <") << station("5", "R", "128k") << int(Kind::Station) << u"R"_qs
                                    << QString();
    QTest::newRow("empty fields") << QByteArray("5" + QByteArray("@@@@").repeated(7) + "<")
                                  << int(Kind::Station) << QString() << QString();
    QTest::newRow("megabyte name") << station("5", QByteArray(1 << 20, 'n'), "1<") << int(Kind::Station)
                                   << QString(1 << 20, u'n') << u"1"_qs;
    QTest::newRow("no stations, any case")
        << QByteArray("error<br>") << int(Kind::NoStations) << QString() << QString();
    QTest::newRow("end of list") << QByteArray("EXCEPTION OC") << int(Kind::EndOfList) << QString()
                                 << QString();
    QTest::newRow("cut short") << QByteArray("5@@@@x@@@@Name") << int(Kind::Unreadable) << QString()
                               << QString();
    QTest::newRow("error page") << QByteArray("<html>Server Error</html>") << int(Kind::Unreadable)
                                << QString() << QString();
    QTest::newRow("empty token") << station("", "R", "1<") << int(Kind::Unreadable) << QString() << QString();
    QTest::newRow("token with control")
        << station("5\n6", "R", "1<") << int(Kind::Unreadable) << QString() << QString();
    QTest::newRow("huge token") << station(QByteArray(101, '7'), "R", "1<") << int(Kind::Unreadable)
                                << QString() << QString();
  }

  void answer()
  {
    QFETCH(QByteArray, answer);
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(QString, bitRate);
    const StationAnswer station = readStationAnswer(answer);
    QCOMPARE(int(station.kind), kind);
    QCOMPARE(station.name, name);
    QCOMPARE(station.bitRate, bitRate);
  }

  void stationFields()
  {
    const StationAnswer station = readStationAnswer(
        "42@@@@http://site/@@@@Name@@@@ http://s/x.mp3 @@@@MP3@@@@Kingston@@@@Jamaica@@@@96k<BR>");
    QCOMPARE(station.nextPosition, u"42"_qs);
    QCOMPARE(station.website, u"http://site/"_qs);
    QCOMPARE(station.streamAddress, u"http://s/x.mp3"_qs);
    QCOMPARE(station.format, u"MP3"_qs);
    QCOMPARE(stationLocation(station.locationFirst, station.locationSecond), u"Kingston, Jamaica"_qs);
    QCOMPARE(stationLocation(u"Ohio"_qs, u"unknown"_qs), u"Ohio"_qs);
    QCOMPARE(stationLocation(u"UNKNOWN"_qs, u"USA"_qs), u"USA"_qs);
    QCOMPARE(stationLocation(u"Unknown"_qs, u"unknown"_qs), u"Unknown"_qs);
    QCOMPARE(stationLocationToolTip(u"Unknown"_qs, u"USA"_qs), u"Unknown, USA"_qs);
  }

  void webLinksAndShownTexts()
  {
    QCOMPARE(stationWebLink(u" HTTP://Site.test/x "_qs), u"HTTP://Site.test/x"_qs);
    QCOMPARE(stationWebLink(u"https://site.test/"_qs), u"https://site.test/"_qs);
    for (const QString &refused : {u"file:///x.desktop#http://"_qs, u"javascript:alert(1)//http://"_qs,
                                   u"www.site.test"_qs, QString()})
      QCOMPARE(stationWebLink(refused), QString());
    QCOMPARE(fieldDisplayText(u"a\nb\tc\x01"_qs), u"a b c "_qs);
    QCOMPARE(fieldDisplayText(QString(1000, u'x')), QString(200, u'x') + u"..."_qs);
    const QString note = u"\U0001F3B5"_qs;  // two UTF-16 units
    QCOMPARE(fieldDisplayText(QString(199, u'x') + note + u"tail"_qs), QString(199, u'x') + u"..."_qs);
    QCOMPARE(fieldDisplayText(QString(198, u'x') + note + u"tail"_qs), QString(198, u'x') + note + u"..."_qs);
  }

  void resume_data()
  {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("ask");
    QTest::addColumn<QString>("position");
    QTest::newRow("first session") << u"0@*All Stations"_qs << false << u"0"_qs;
    QTest::newRow("same style") << u"12@Jazz"_qs << true << u"12"_qs;
    QTest::newRow("position 0") << u"0@Jazz"_qs << false << u"0"_qs;
    QTest::newRow("other style starts over") << u"12@Rock"_qs << false << u"0"_qs;
    QTest::newRow("no style") << u"12"_qs << false << u"0"_qs;
    QTest::newRow("garbage") << u"abc@Jazz"_qs << false << u"0"_qs;
    QTest::newRow("bad token") << u"1 2@Jazz"_qs << false << u"0"_qs;
  }

  void resume()
  {
    QFETCH(QString, stored);
    QFETCH(bool, ask);
    QFETCH(QString, position);
    const ScanResume resume = scanResume(stored, u"Jazz"_qs);
    QCOMPARE(resume.ask, ask);
    QCOMPARE(resume.position, position);
    QCOMPARE(finishedScanRecord(), u"0@*All Stations"_qs);
  }

  void playStates_data()
  {
    QTest::addColumn<bool>("playlist");
    QTest::addColumn<State>("state");
    QTest::addColumn<bool>("wasPlaying");
    QTest::addColumn<QString>("status");  // "-" for no change
    QTest::addColumn<QString>("flags");   // playing, skip, ended, failed
    QTest::newRow("monitor connecting") << false << State::Connecting << false << u"Connecting"_qs << u""_qs;
    QTest::newRow("monitor buffering") << false << State::Buffering << false << u"Buffering"_qs << u""_qs;
    QTest::newRow("monitor rebuffering") << false << State::Buffering << true << u"-"_qs << u""_qs;
    QTest::newRow("monitor first playing")
        << false << State::Playing << false << u"Playing"_qs << u"playing"_qs;
    QTest::newRow("monitor playing again") << false << State::Playing << true << u"-"_qs << u""_qs;
    QTest::newRow("monitor stopped unplayed") << false << State::Idle << false << u"Stopped"_qs << u"skip"_qs;
    QTest::newRow("monitor ended") << false << State::Ended << true << u"Stopped"_qs << u"skip ended"_qs;
    QTest::newRow("monitor failed") << false << State::Failed << false << u"-"_qs << u"failed"_qs;
    QTest::newRow("monitor paused") << false << State::Paused << true << u"-"_qs << u""_qs;
    QTest::newRow("playlist loading") << true << State::Connecting << false << u"Loading..."_qs << u""_qs;
    QTest::newRow("playlist buffering") << true << State::Buffering << false << u"Buffering..."_qs << u""_qs;
    QTest::newRow("playlist playing") << true << State::Playing << false << u"Playing"_qs << u"playing"_qs;
    QTest::newRow("playlist paused") << true << State::Paused << true << u"Paused..."_qs << u""_qs;
    QTest::newRow("playlist clip ended") << true << State::Ended << true << u"Stopped..."_qs << u"ended"_qs;
    QTest::newRow("playlist failed") << true << State::Failed << false << u"-"_qs << u"failed"_qs;
  }

  void playStates()
  {
    QFETCH(bool, playlist);
    QFETCH(State, state);
    QFETCH(bool, wasPlaying);
    QFETCH(QString, status);
    QFETCH(QString, flags);
    const PlayStateStep step =
        playStateStep(playlist ? PlayWatch::Playlist : PlayWatch::Monitor, state, wasPlaying);
    QCOMPARE(step.status.value_or(u"-"_qs), status);
    QStringList set;
    if (step.playing) set << u"playing"_qs;
    if (step.skip) set << u"skip"_qs;
    if (step.ended) set << u"ended"_qs;
    if (step.failed) set << u"failed"_qs;
    QCOMPARE(set.join(u' '), flags);
  }

  void clockAndRateTexts()
  {
    QCOMPARE(formatSeconds(0), u"00:00"_qs);
    QCOMPARE(formatSeconds(59), u"00:59"_qs);
    QCOMPARE(formatSeconds(754), u"12:34"_qs);
    QCOMPARE(formatSeconds(3600), u"60:00"_qs);
    const auto text = [](const std::optional<QString> &value) { return value.value_or(u"none"_qs); };
    QCOMPARE(text(positionText(0, 90)), u"none"_qs);
    QCOMPARE(text(positionText(89.6, 754.2)), u"[01:30/12:34]"_qs);
    QCOMPARE(text(positionText(5, 0)), u"[00:05/00:00]"_qs);
    QCOMPARE(text(bitRateText(0)), u"none"_qs);
    QCOMPARE(text(bitRateText(400)), u"none"_qs);
    QCOMPARE(text(bitRateText(128000)), u"125k"_qs);
    QCOMPARE(text(bitRateText(2.5 * 1024)), u"2k"_qs);  // a half goes to the even neighbour
    QCOMPARE(bufferingText(3), u"Buffering (3 seconds)"_qs);
  }
};

TESSIVAR_TEST_MAIN(TestScanAnswers)
#include "test_scan_answers.moc"
