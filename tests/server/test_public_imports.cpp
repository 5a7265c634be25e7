// The public directories' lists imported by the real binary into either backend: what is counted
// and skipped, stations their directory found failing, and malformed lists refused whole.
#include "catalogue_sql.h"
#include "support/directory_fixture.h"
#include "support/test_environment.h"

using tessivar::test::DirectoryFixture;

namespace {

const QString samples = QStringLiteral(TESSIVAR_SOURCE_DIR "/tests/server/data/");

}  // namespace

class TestPublicImports final : public QObject
{
  Q_OBJECT

 private slots:
  void listsImportAndFailingStationsAreMarked()
  {
    DirectoryFixture directory;
    QByteArray output;
    QCOMPARE(DirectoryFixture::run(
                 {QStringLiteral("import"), QStringLiteral("--db"), directory.database(),
                  QStringLiteral("--radio-browser"), samples + QStringLiteral("radio-browser-sample.json"),
                  QStringLiteral("--icecast-yp"), samples + QStringLiteral("icecast-yp-sample.xml")},
                 &output),
             0);
    for (const char *expected : {"36 read, 35 imported, 1 skipped", "30 read, 29 imported, 1 skipped",
                                 "skipped, no stream address: 1"})
      QVERIFY2(output.contains(expected), output.constData());
    QCOMPARE(tessivar::test::storedText(directory, "SELECT count(*) FROM entries"), QStringLiteral("62"));
    // The stations their directory's check found failing count one failed check; served, marked.
    QCOMPARE(tessivar::test::storedText(
                 directory, "SELECT count(*) FROM entries WHERE check_failures = 1 AND check_failed = 1"),
             QStringLiteral("4"));
    QCOMPARE(tessivar::test::storedText(directory,
                                        "SELECT check_reason FROM entries WHERE name = 'Rádio Comercial'"),
             QStringLiteral("failed the source directory's check"));
    QVERIFY(directory.start());
    const QByteArray page =
        directory.get("/tessivar37.asp?V=3.7&P=T&T1=comercial&F=1&MA=1&LIVE=1&SPD=0&RA=1").body;
    QVERIFY2(page.contains("Rádio Comercial**MP3&&Lisboa, Portugal^^128k$$1@@") && page.contains("$$0@@"),
             page.constData());

    // A list cut short changes nothing, and says where.
    const QString broken = directory.writeFile(QStringLiteral("broken.json"), "[{\"name\": \"A\", \"url\": ");
    QCOMPARE(DirectoryFixture::run({QStringLiteral("import"), QStringLiteral("--db"), directory.database(),
                                    QStringLiteral("--radio-browser"), broken},
                                   &output),
             1);
    QVERIFY2(output.contains("byte"), output.constData());
    QCOMPARE(tessivar::test::storedText(directory, "SELECT count(*) FROM entries"), QStringLiteral("62"));
  }
};

TESSIVAR_TEST_MAIN(TestPublicImports)
#include "test_public_imports.moc"
