// The public directories' station lists, read as they stream in: the sample files with their
// awkward entries, and files that are not what they claim to be.
#include "server/icecast_yp_reader.h"
#include "server/radio_browser_reader.h"
#include "support/test_environment.h"

#include <fstream>
#include <sstream>
#include <vector>

using namespace tessivar::directory;

namespace {

const std::string samples = TESSIVAR_SOURCE_DIR "/tests/server/data/";

std::vector<PublicStation> readFile(void (*reader)(std::istream &, const std::string &,
                                                   const PublicStationSink &),
                                    const std::string &path)
{
  std::ifstream in(path, std::ios::binary);
  std::vector<PublicStation> stations;
  reader(in, path, [&stations](const PublicStation &station) { stations.push_back(station); });
  return stations;
}

// The error of reading the text, empty when it reads.
QString errorOf(void (*reader)(std::istream &, const std::string &, const PublicStationSink &),
                const char *text)
{
  std::istringstream in(text);
  try {
    reader(in, "list", [](const PublicStation &) {});
  } catch (const PublicFormatError &error) {
    return QString::fromStdString(error.what());
  }
  return {};
}

}  // namespace

class TestPublicFormats final : public QObject
{
  Q_OBJECT

 private slots:
  void radioBrowserSample()
  {
    const auto stations = readFile(readRadioBrowserStations, samples + "radio-browser-sample.json");
    QCOMPARE(stations.size(), std::size_t(36));
    QCOMPARE(stations[0].url, std::string("http://stream0.radio.example:8000/live0.mp3"));
    QCOMPARE(stations[5].url, std::string("http://stream5.radio.example/live5"));  // no url_resolved
    QCOMPARE(stations[6].url, std::string("http://stream6.radio.example/live6"));  // an empty one
    QCOMPARE(stations[2].name, std::string("Ретро FM"));
    QCOMPARE(stations[1].tags, std::string("rock,classic rock"));
    QCOMPARE(stations[2].bitrate, 320);
    QCOMPARE(stations[12].bitrate, 96);
    QVERIFY(stations[4].lastCheckFailed && !stations[3].lastCheckFailed);
    QVERIFY(stations[7].name.empty() && stations[9].url.empty());
    // Keys of nested objects are not the station's.
    QCOMPARE(stations[14].url, std::string("http://stream2.radio.example:8000/live14.mp3"));
  }

  void icecastSample()
  {
    const auto stations = readFile(readIcecastYpStations, samples + "icecast-yp-sample.xml");
    QCOMPARE(stations.size(), std::size_t(30));
    QCOMPARE(stations[0].codec, std::string("MP3"));
    QCOMPARE(stations[1].codec, std::string("AAC+"));
    QCOMPARE(stations[5].codec, std::string("audio/x-unknown"));
    QCOMPARE(stations[0].tags, std::string("Jazz,Smooth"));
    QCOMPARE(stations[1].name, std::string("Radio Zürich Klassik"));
    QCOMPARE(stations[7].name, std::string("Café <Live>"));
    QCOMPARE(stations[6].bitrate, 0);
    QVERIFY(stations[3].name.empty() && stations[4].url.empty());
  }

  void malformedListsSayWhere_data()
  {
    QTest::addColumn<bool>("json");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("where");
    QTest::newRow("json cut short") << true << "[{\"name\": \"A\", \"url\": \"http://a/\"}, {\"name\": "
                                    << "byte";
    QTest::newRow("json object root") << true << "{\"name\": \"A\"}"
                                      << "not a list of stations";
    QTest::newRow("json number root") << true << "42"
                                      << "not a list of stations";
    QTest::newRow("json empty") << true << ""
                                << "byte";
    QTest::newRow("xml cut short") << false << "<directory><entry><server_name>A"
                                   << "line 1";
    QTest::newRow("xml mismatched") << false << "<directory>\n<entry></listen_url></directory>"
                                    << "line 2";
    QTest::newRow("xml other root") << false << "<html><body/></html>"
                                    << "not <directory>";
    QTest::newRow("xml empty") << false << ""
                               << "line 1";
  }

  void malformedListsSayWhere()
  {
    QFETCH(bool, json);
    QFETCH(QString, text);
    QFETCH(QString, where);
    const QByteArray bytes = text.toUtf8();
    const QString error = errorOf(json ? readRadioBrowserStations : readIcecastYpStations, bytes.constData());
    QVERIFY2(error.startsWith(QStringLiteral("list: ")) && error.contains(where), qPrintable(error));
  }
};

TESSIVAR_TEST_MAIN(TestPublicFormats)
#include "test_public_formats.moc"
