// Related results, copy, e-mail and visit on the main window against the real tessivar-directory.
#include "main_window_fixture.h"

#include "app/ui/application.h"
#include "base/product.h"
#include "base/program_options.h"
#include "results/result_table_model.h"
#include "results/ui/results_grid.h"
#include "search/related_results.h"
#include "search/search_run.h"
#include "support/directory_fixture.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QRadioButton>
#include <QSignalSpy>

using namespace tessivar;
using tessivar::test::DirectoryFixture;
using tessivar::test::DirectoryRelay;

namespace {

// MEDIA stands for the in-test server that answers every clip, so pre-verification keeps them.
constexpr char clipsCsv[] = R"(title,url,duration_seconds,bitrate,homepage,tags,show
Jazz Session One,MEDIA/one.mp3,600,128,http://clips.example.test/,jazz,Jazz Sessions
Jazz Session Two,MEDIA/two.mp3,65,32,,jazz,Jazz Sessions
Jazz Session Three,MEDIA/three.mp3,300,64,www.three.example.test,jazz,Jazz Sessions
Jazz File,MEDIA/file.mp3,10,32,file:///etc/passwd,jazz,
)";

const QStringList relatedToOne{u"Jazz File"_qs, u"Jazz Session Three"_qs, u"Jazz Session Two"_qs};

}  // namespace

class TestEndToEndResultTools final : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;
  test::HttpTestServer media_;
  std::unique_ptr<DirectoryRelay> relay_;
  std::unique_ptr<test::MainWindowFixture> f;

  MainWindow &window() { return *f->window; }
  ProgramParts &parts() { return *f->parts; }
  ResultsGrid *grid() const { return f->find<ResultsGrid>(u"MSHResults"_qs); }
  ResultsGrid *relatedGrid() const { return f->find<ResultsGrid>(u"MSHResults2"_qs); }
  RelatedResults *related() const { return f->find<RelatedResults>(u"RelatedResults"_qs); }
  QAction *action(const QString &name) const { return f->find<QAction>(name); }
  QString mediaAddress() const { return u"http://127.0.0.1:%1"_qs.arg(media_.port()); }

  QStringList titles(const ResultsGrid *of) const
  {
    QStringList cells;
    for (int row = 1; row <= of->dataRowCount(); ++row) cells << of->cellText(row, 3);
    return cells;
  }
  int rowOf(const QString &title) const { return int(titles(grid()).indexOf(title)) + 1; }

  bool search(const QString &text)
  {
    QSignalSpy finished(&parts().searchRun(), &SearchRun::searchFinished);
    window().searchView().setSearchText(text);
    action(u"menuStart"_qs)->trigger();
    return finished.count() == 1 || finished.wait(30000);
  }
  void clickRow(int row)
  {
    const QRect cell = grid()->visualRect(grid()->model()->index(row - 1, 3));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
  }
  // Clicks the row and waits for its related request to end.
  bool clickAndWait(int row)
  {
    QSignalSpy finished(related(), &RelatedResults::relatedFinished);
    clickRow(row);
    return finished.count() == 1 || finished.wait(30000);
  }
  QByteArray lastTarget() const { return relay_->requestLines().constLast().split(' ').value(1); }
  QByteArray relatedTarget(const QString &id) const
  {
    return "/tessivar37.asp?RELATED=1&ID=" + id.toLatin1() + "&V=3.7&RA=1&MA=1&";
  }

 private slots:
  void initTestCase()
  {
    QVERIFY(media_.listen());
    media_.setScript(test::HttpTestServer::page(200, "OK", QByteArray(1000, 'x'), "audio/mpeg"));
    QByteArray clips(clipsCsv);
    clips.replace("MEDIA", mediaAddress().toLatin1());
    QVERIFY(directory_.import({u"--clips"_qs, directory_.writeFile(u"clips.csv"_qs, clips)}));
    QVERIFY(directory_.start({u"--quiet"_qs}));
  }

  void init()
  {
    relay_ = std::make_unique<DirectoryRelay>(directory_.port());
    QVERIFY(relay_->listen());
    f = std::make_unique<test::MainWindowFixture>();
    wireProgram(parts());
    window().GetSettings();
    parts().options().formats = FormatBoxes{};
    parts().options().formats.chkRA = 1;
    parts().options().formats.chkMA = 1;
    parts().setDataServer(u"127.0.0.1:%1"_qs.arg(relay_->port()));
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    f->find<QRadioButton>(u"optArch"_qs)->click();
    QVERIFY(search(u"jazz"_qs));
    QCOMPARE(grid()->dataRowCount(), 4);
  }

  void cleanup()
  {
    if (relay_) relay_->release();
    f.reset();
    relay_.reset();
  }

  void aClickListsTheRelatedClipsOnce()
  {
    const int one = rowOf(u"Jazz Session One"_qs);
    const QString id = grid()->cellText(one, 4);
    // Only the item's number goes out, whatever follows it in the cell.
    parts().resultsModel().setText(one - 1, 4, id + u"&X=1#y"_qs);
    const qsizetype before = relay_->requestLines().size();
    QVERIFY(clickAndWait(one));

    QCOMPARE(relay_->requestLines().size(), before + 1);
    QCOMPARE(lastTarget(), relatedTarget(id));
    QCOMPARE(titles(relatedGrid()), relatedToOne);
    QCOMPARE(f->find<QLabel>(u"lblADDR"_qs)->text(), u"  Addtional Related Results (3)"_qs);
    QVERIFY(f->prompter.prompts.isEmpty());
    // Unlocked, with the clicked row still current.
    QVERIFY(grid()->isEnabled() && relatedGrid()->isVisible() && action(u"menuStart"_qs)->isEnabled());
    QCOMPARE(grid()->currentRow(), one);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);

    // The same item again asks nothing; an item without a number asks nothing either.
    clickRow(one);
    QVERIFY(!related()->isBusy());
    const int two = rowOf(u"Jazz Session Two"_qs);
    parts().resultsModel().setText(two - 1, 4, u"none"_qs);
    clickRow(two);
    QVERIFY(!related()->isBusy());
    QCOMPARE(relay_->requestLines().size(), before + 1);
    QCOMPARE(titles(relatedGrid()), QStringList{u"No additional information available."_qs});
  }

  void aClickWhileASearchRunsIsRefused()
  {
    relay_->setMode(DirectoryRelay::Mode::HoldAfterAnchors, 2);
    QSignalSpy finished(&parts().searchRun(), &SearchRun::searchFinished);
    window().searchView().setSearchText(u"jazz"_qs);
    action(u"menuStart"_qs)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(relay_->heldAnswers(), 1, 20000);
    QTRY_COMPARE(grid()->dataRowCount(), 2);
    const qsizetype before = relay_->requestLines().size();

    clickRow(1);
    QVERIFY(!related()->isBusy());
    relay_->release();
    QVERIFY(finished.wait(30000));
    QCOMPARE(relay_->requestLines().size(), before);
    QCOMPARE(relatedGrid()->dataRowCount(), 0);
    QVERIFY(f->prompter.prompts.isEmpty());
  }

  void aFailedStoppedOrSearchedAwayRequestIsAskedAgain()
  {
    const int one = rowOf(u"Jazz Session One"_qs);
    const QString id = grid()->cellText(one, 4);

    relay_->setMode(DirectoryRelay::Mode::DropAfterAnchors, 1);
    QSignalSpy failed(related(), &RelatedResults::relatedFinished);
    clickRow(one);
    QTRY_COMPARE_WITH_TIMEOUT(relay_->heldAnswers(), 1, 20000);
    relay_->release();
    QVERIFY(failed.wait(30000));
    QCOMPARE(f->prompter.texts(),
             QStringList{u"Error connecting to Halvorne. If this problem persists, please contact "_qs +
                         product::supportEmail()});
    QCOMPARE(relatedGrid()->dataRowCount(), 1);  // what arrived stays

    relay_->setMode(DirectoryRelay::Mode::HoldAfterAnchors, 1);
    QSignalSpy stopped(related(), &RelatedResults::relatedFinished);
    clickRow(one);
    QTRY_COMPARE_WITH_TIMEOUT(relay_->heldAnswers(), 1, 20000);
    QVERIFY(!grid()->isEnabled());
    action(u"menuStop"_qs)->trigger();
    QVERIFY(stopped.wait(30000));
    QCOMPARE(f->prompter.prompts.size(), 1);

    relay_->setMode(DirectoryRelay::Mode::Pass);
    QVERIFY(clickAndWait(one));
    QCOMPARE(titles(relatedGrid()), relatedToOne);

    // A new search empties the grid: the same item is asked for again.
    QVERIFY(search(u"jazz"_qs));
    QCOMPARE(relatedGrid()->dataRowCount(), 0);
    QVERIFY(clickAndWait(rowOf(u"Jazz Session One"_qs)));
    QCOMPARE(titles(relatedGrid()), relatedToOne);
    QCOMPARE(lastTarget(), relatedTarget(id));
  }

  void copyEmailAndVisitTakeTheCurrentRow()
  {
    QClipboard *clipboard = QGuiApplication::clipboard();
    const int three = rowOf(u"Jazz Session Three"_qs);
    grid()->selectRows(three, three);
    action(u"menuCopy"_qs)->trigger();
    QVERIFY(clipboard->text().startsWith(u"Name : Jazz Session Three\r\nInfo : "_qs));
    QCOMPARE(clipboard->mimeData()->formats(), QStringList{u"text/plain"_qs});
    action(u"menuEmail"_qs)->trigger();
    QVERIFY(clipboard->text().contains(u"\r\nLink : "_qs + mediaAddress() + u"/three.mp3\r\n"_qs));
    action(u"menuVisitStr"_qs)->trigger();
    QCOMPARE(f->shell.opened, (QStringList{u"mailto:"_qs, u"http://www.three.example.test"_qs}));

    // A website that is no web page opens nothing; an empty grid copies nothing.
    const int file = rowOf(u"Jazz File"_qs);
    grid()->selectRows(file, file);
    action(u"menuVisitStr"_qs)->trigger();
    f->find<QRadioButton>(u"optLive"_qs)->click();
    clipboard->setText(u"kept"_qs);
    action(u"menuCopy"_qs)->trigger();
    QCOMPARE(f->shell.opened.size(), 2);
    QCOMPARE(clipboard->text(), u"kept"_qs);
    QCOMPARE(f->prompter.texts(),
             (QStringList{u"Tessivar! Broadcast will now start your mail program, to insert the link press "
                          u"CTRL+V or paste it into the message."_qs,
                          u"No website available."_qs, u"No item selected."_qs}));
  }
};

TESSIVAR_TEST_MAIN(TestEndToEndResultTools)
#include "test_end_to_end_result_tools.moc"
