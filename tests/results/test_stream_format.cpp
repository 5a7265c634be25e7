#include "results/stream_format.h"
#include "support/test_environment.h"

using namespace tessivar;
using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(tessivar::StreamPlayer)

namespace {

constexpr auto Real = StreamPlayer::RealPlayer;
constexpr auto Media = StreamPlayer::WindowsMedia;
constexpr auto Xing = StreamPlayer::StreamWorks;
constexpr auto NoPlayer = StreamPlayer::None;

}  // namespace

class TestStreamFormat final : public QObject
{
  Q_OBJECT

 private slots:
  void extension()
  {
    QCOMPARE(urlExtension(u"http://a.example/live.ram", QuoteHandling::Keep), QStringLiteral(".RAM"));
    QCOMPARE(urlExtension(u"http://a.example/Show.AsX", QuoteHandling::Keep), QStringLiteral(".ASX"));
    QCOMPARE(urlExtension(u"rtsp://host/live", QuoteHandling::Keep), QStringLiteral("RTSP://HOST/LIVE"));
    QCOMPARE(urlExtension(u".ram", QuoteHandling::Keep), QStringLiteral(".RAM"));
    QCOMPARE(urlExtension(u"", QuoteHandling::Keep), QString());
    QCOMPARE(urlExtension(u"x.ram?id=1", QuoteHandling::Keep), QStringLiteral(".RAM?ID=1"));
    QCOMPARE(urlExtension(u"x.ram\"", QuoteHandling::Keep), QStringLiteral(".RAM\""));
    QCOMPARE(urlExtension(u"x.r\"a\"m\"", QuoteHandling::Remove), QStringLiteral(".RAM"));
    QCOMPARE(urlExtension(u"\"mms://host/live\"", QuoteHandling::Remove), QStringLiteral("MMS://HOST/LIVE"));
  }

  // Each row: a URL, its format name, the player launched and the scanner's player letter.
  void classification_data()
  {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("format");
    QTest::addColumn<StreamPlayer>("player");
    QTest::addColumn<QString>("letter");

    const auto row = [](const char *name, const char *url, const char *format, StreamPlayer player,
                        const char *letter) {
      QTest::newRow(name) << QString::fromUtf8(url) << QString::fromUtf8(format) << player
                          << QString::fromUtf8(letter);
    };

    row("ram", "http://a.example/live.ram", "RealAudio", Real, "R");
    row("asx", "http://a.example/show.asx", "Microsoft Media", Media, "N");
    row("mp3 is in no table", "http://a.example/clip.mp3", "MP3", Real, "R");
    row("mpg", "http://a.example/x.mpg", "MPEG Video", Real, "R");
    row("mpg with makeasx", "http://a.example/makeasx/x.mpg", "MPEG Video", Media, "N");
    row("mms host dots only", "mms://media.example.com/live", "MP3", Real, "N");
    row("mms with wma", "mms://media.example.com/live.wma", "Microsoft Media", Media, "N");
    row("ftp ram", "ftp://files.example/pub/show.ram", "RealAudio", Media, "R");
    row("ftp upper case", "FTP://FILES.EXAMPLE/A.MP3", "MP3", Media, "R");
    row("makeasx in query", "http://dir.example/play?makeasx=1&id=7", "Microsoft Media", Media, "N");
    row("makeram in query", "http://dir.example/play?MakeRam=1&id=7", "RealAudio", Real, "R");
    row("quoted ram", "http://a.example/live.ram\"", "MP3", Real, "R");
    row("quoted ram with makeasx", "http://a.example/makeasx/live.ram\"", "Microsoft Media", Real, "R");
    row("no dot", "rtsp://realhost/live", "RealAudio", NoPlayer, "R");
    row("no dot mms", "mms://mediahost/live", "MP3", NoPlayer, "N");
    row("no dot makeasx", "http://localhost/makeasx", "Microsoft Media", NoPlayer, "N");
    row("empty", "", "", NoPlayer, "");
    row("query after extension", "http://a.example/live.ram?x=1", "MP3", Real, "R");
    row("rtsp only names", "rtsp://real.example/live.mp3", "RealAudio", Real, "R");
    row("extension compared whole", "http://a.example/x.mp", "MPEG Video", Real, "R");
    row("xdm", "http://a.example/tv.xdm", "Xing StreamWorks", Xing, "X");
    row("wav", "http://a.example/a.wav", "WAV Audio", Real, "R");
    row("avi", "http://a.example/a.avi", "AVI Video", Media, "N");
    row("rpm", "http://a.example/a.rpm", "RealAudio", Real, "R");
    row("rmm", "http://a.example/a.rmm", "MP3", Real, "R");
    row("rmm with makeasx", "http://makeasx.example/a.rmm", "Microsoft Media", Real, "N");
    row("pls", "http://a.example/a.pls", "MP3", Real, "R");
    row("m3u with makeasx", "http://makeasx.example/a.m3u", "MP3", Media, "R");
    row("wav with makeasx", "http://makeasx.example/a.wav", "WAV Audio", Media, "R");
  }

  void classification()
  {
    QFETCH(QString, url);
    QFETCH(QString, format);
    QFETCH(StreamPlayer, player);
    QFETCH(QString, letter);
    QCOMPARE(streamFormatName(url), format);
    QCOMPARE(launchPlayerForURL(url), player);
    QCOMPARE(playerForURL(url), letter);
  }

  void extensionsOfEachTable()
  {
    const QStringList real{u".RA"_s, u".RAM"_s, u".RM"_s, u".RPM"_s, u".SMI"_s, u".SMIL"_s};
    for (const QString &ext : real)
      QCOMPARE(streamFormatName(u"http://h/x"_s + ext.toLower()), u"RealAudio"_s);
    const QStringList media{u".ASF"_s, u".ASX"_s, u".WMA"_s, u".WMV"_s, u".WAX"_s};
    for (const QString &ext : media) {
      QCOMPARE(streamFormatName(u"http://h/x"_s + ext), u"Microsoft Media"_s);
      QCOMPARE(launchPlayerForURL(u"http://h/x"_s + ext), Media);
      QCOMPARE(playerForURL(u"http://h/x"_s + ext), u"N"_s);
    }
    const QStringList mpeg{u".MPA"_s, u".M1V"_s, u".MPE"_s, u".MPEG"_s, u".MPG"_s, u".MP"_s};
    for (const QString &ext : mpeg) QCOMPARE(streamFormatName(u"http://h/x"_s + ext), u"MPEG Video"_s);
    const QStringList launchReal{u".SMIL"_s, u".SMI"_s, u".RMM"_s, u".RAM"_s, u".RM"_s, u".RA"_s};
    for (const QString &ext : launchReal) QCOMPARE(launchPlayerForURL(u"http://makeasx/x"_s + ext), Real);
    const QStringList letterR{u".WAV"_s, u".PLS"_s, u".M3U"_s, u".RA"_s,  u".RAM"_s,
                              u".RM"_s,  u".RPM"_s, u".SMI"_s, u".SMIL"_s};
    for (const QString &ext : letterR) QCOMPARE(playerForURL(u"mms://makeasx/x"_s + ext), u"R"_s);
  }
};

TESSIVAR_TEST_MAIN(TestStreamFormat)
#include "test_stream_format.moc"
