// Searches made where the request arrives instead of on a worker: the same pages, and only when the
// catalogue is held in memory and of the generation the search sees.
#include "server/directory_service.h"
#include "server/format_family.h"
#include "support/test_environment.h"

#include <QTemporaryDir>

#include <memory>

using namespace tessivar::directory;

namespace {

EntryFilter liveFilter()
{
  EntryFilter filter;
  filter.kinds = (1u << static_cast<int>(EntryKind::Radio)) | (1u << static_cast<int>(EntryKind::Television));
  filter.families = allFamilies;
  return filter;
}

}  // namespace

class TestQuickSearch : public QObject
{
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  int catalogues_ = 0;

  std::string writeStations(const QString &name, const QByteArray &rows)
  {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write("name,stream_url,tags,country,codec,bitrate\n" + rows);
    return path.toStdString();
  }

  // A new catalogue file (snapshots are shared by file) with the stations imported.
  std::unique_ptr<CatalogueBackend> catalogue(std::size_t memoryIndexEntries)
  {
    const std::string path = dir_.filePath(QStringLiteral("c%1.db").arg(++catalogues_)).toStdString();
    auto backend = openCatalogueBackend(path, false, memoryIndexEntries);
    backend->import(ImportSource::Stations,
                    writeStations(QStringLiteral("stations.csv"),
                                  "Harbour Jazz,http://h.example.test/s.mp3,blues,Ireland,MP3,128\n"
                                  "Blue Note,http://b.example.test/s.mp3,jazz,France,MP3,128\n"
                                  "Alpha Swing,http://as.example.test/s.mp3,swing,Spain,MP3,128\n"
                                  "beta Swing,http://bs.example.test/s.mp3,swing,Spain,AAC,64\n"
                                  "Radio FM Nord,http://fm.example.test/s.mp3,rock,Norway,MP3,128\n"));
    return backend;
  }

  static std::optional<std::string> quick(CatalogueBackend &backend, const QByteArray &text,
                                          SearchScope scope, std::size_t maxCandidates = 20000)
  {
    return backend.quickSearchPage(parseSearchText(text.toStdString(), scope), scope, liveFilter(),
                                   PageLayout::Live, maxSearchResults, maxCandidates);
  }

  static std::string page(CatalogueBackend &backend, const QByteArray &text, SearchScope scope)
  {
    return backend.searchPage(parseSearchText(text.toStdString(), scope), scope, liveFilter(),
                              PageLayout::Live, maxSearchResults);
  }

 private slots:
  void quickPagesAreTheWorkersPages_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("genreOnly");
    QTest::newRow("one word") << QByteArray("jazz") << false;
    QTest::newRow("alternatives") << QByteArray("blues,jazz") << false;
    QTest::newRow("several words") << QByteArray("radio nord") << false;
    QTest::newRow("too short for the index") << QByteArray("fm") << false;
    QTest::newRow("nothing found") << QByteArray("qqq") << false;
    QTest::newRow("genre list") << QByteArray("swing,rock") << true;
  }

  void quickPagesAreTheWorkersPages()
  {
    QFETCH(QByteArray, text);
    QFETCH(bool, genreOnly);
    const SearchScope scope = genreOnly ? SearchScope::GenreOnly : SearchScope::AllFields;
    const auto backend = catalogue(100000);
    const std::string expected = page(*backend, text, scope);
    QCOMPARE(quick(*backend, text, scope).value_or("(not made)"), expected);
  }

  void madeOnlyWhenEverythingIsAtHand()
  {
    const auto backend = catalogue(100000);
    QVERIFY(!quick(*backend, "jazz", SearchScope::AllFields));  // no search has made the snapshot yet
    page(*backend, "swing", SearchScope::AllFields);
    QVERIFY(quick(*backend, "jazz", SearchScope::AllFields));
    QVERIFY(!quick(*backend, "jazz", SearchScope::AllFields, 0));  // more candidates than allowed

    // An import makes the snapshot out of date: its next search is made on a worker.
    backend->import(ImportSource::Stations,
                    writeStations(QStringLiteral("more.csv"),
                                  "Jazz Cellar,http://jc.example.test/s.mp3,jazz,Chile,MP3,128\n"));
    QVERIFY(!quick(*backend, "jazz", SearchScope::AllFields));
    const std::string fresh = page(*backend, "jazz", SearchScope::AllFields);
    QVERIFY(fresh.find("Jazz Cellar") != std::string::npos);
    QCOMPARE(quick(*backend, "jazz", SearchScope::AllFields).value_or("(not made)"), fresh);

    // Searched on the full-text index, which may have to be read from disk.
    const auto indexed = catalogue(0);
    page(*indexed, "swing", SearchScope::AllFields);
    QVERIFY(!quick(*indexed, "jazz", SearchScope::AllFields));
  }
};

TESSIVAR_TEST_MAIN(TestQuickSearch)
#include "test_quick_search.moc"
