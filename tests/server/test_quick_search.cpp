// Searches made where the request arrives instead of on a worker: the same pages, and only when the
// catalogue is held in memory and of the generation the search sees.
#include "server/directory_service.h"
#include "server/format_family.h"
#include "support/test_environment.h"

#include <QTemporaryDir>

using namespace tessivar::directory;

class TestQuickSearch : public QObject
{
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  int files_ = 0;

  // Imported into the catalogue from a new file of stations.
  void imported(CatalogueBackend &catalogue, const QByteArray &rows)
  {
    const QString path = dir_.filePath(QStringLiteral("s%1.csv").arg(++files_));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write("name,stream_url,tags,country,codec,bitrate\n" + rows);
    file.close();
    catalogue.import(ImportSource::Stations, path.toStdString());
  }

  // A new catalogue file each time: the search data is shared by file.
  std::unique_ptr<CatalogueBackend> catalogue(std::size_t memoryIndexEntries)
  {
    auto made = openCatalogueBackend(dir_.filePath(QStringLiteral("c%1.db").arg(++files_)).toStdString(),
                                     false, memoryIndexEntries);
    imported(*made,
             "Harbour Jazz,http://h.example.test/s,blues,Ireland,MP3,128\n"
             "Blue Note,http://b.example.test/s,jazz,France,MP3,128\n"
             "Alpha Swing,http://a.example.test/s,swing,Spain,AAC,64\n"
             "Radio FM Nord,http://n.example.test/s,rock,Norway,MP3,128\n");
    return made;
  }

  static std::optional<std::string> page(CatalogueBackend &catalogue, const char *text, bool quick,
                                         std::size_t maxWork = 20000)
  {
    const SearchScope scope = SearchScope::AllFields;
    EntryFilter live;
    live.kinds = 1u << static_cast<int>(EntryKind::Radio);
    live.families = allFamilies;
    const SearchExpression expression = parseSearchText(text, scope);
    if (!quick) return catalogue.searchPage(expression, scope, live, PageLayout::Live, maxSearchResults);
    return catalogue.quickSearchPage(expression, scope, live, PageLayout::Live, maxSearchResults, maxWork);
  }

 private slots:
  void quickPagesAreTheWorkersPages()
  {
    const auto made = catalogue(100000);
    for (const char *text : {"jazz", "blues,jazz", "radio nord", "fm", "qqq"}) {
      const std::string expected = *page(*made, text, false);
      QCOMPARE(page(*made, text, true).value_or("(not made)"), expected);
    }
  }

  void madeOnlyWhenEverythingIsAtHand()
  {
    const auto made = catalogue(100000);
    QVERIFY(!page(*made, "jazz", true));  // no search has made the search data yet
    page(*made, "swing", false);
    QVERIFY(page(*made, "jazz", true));
    QVERIFY(!page(*made, "jazz", true, 0));  // more work than allowed
    // Every alternative is scored for every candidate: four candidates of five words are twenty.
    QVERIFY(page(*made, "blue", true, 4));
    QVERIFY(!page(*made, "jazz,blue,swing,nord,radio", true, 4));

    // An import makes the search data out of date: its next search is made on a worker.
    imported(*made, "Jazz Cellar,http://c.example.test/s,jazz,Chile,MP3,128\n");
    QVERIFY(!page(*made, "jazz", true));
    const std::string fresh = *page(*made, "jazz", false);
    QVERIFY(fresh.find("Jazz Cellar") != std::string::npos);
    QCOMPARE(page(*made, "jazz", true).value_or("(not made)"), fresh);

    // Searched on the full-text index, which may have to be read from disk.
    const auto indexed = catalogue(0);
    page(*indexed, "swing", false);
    QVERIFY(!page(*indexed, "jazz", true));
  }
};

TESSIVAR_TEST_MAIN(TestQuickSearch)
#include "test_quick_search.moc"
