// Failed searches against the real tessivar-directory: an error page, a connection dropped in the
// middle of a page and a server that cannot be reached each give their messages in order and leave
// the window ready for the next search.
#include "main_window_fixture.h"

#include "app/ui/browse_bar.h"
#include "base/product.h"
#include "results/ui/results_grid.h"
#include "search/search_run.h"
#include "support/directory_fixture.h"
#include "support/test_environment.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QToolButton>

using namespace tessivar;
using tessivar::test::DirectoryFixture;
using tessivar::test::DirectoryRelay;
using tessivar::test::FakePrompter;

namespace {

constexpr char stationsCsv[] = R"(name,stream_url,homepage,tags,country,state,codec,bitrate
Ska Beat Radio,http://ska.example.test/live.mp3,,"ska,reggae",Jamaica,Kingston,MP3,128
Nebraska Skabilly,http://neb.example.test/stream.mp3,,ska-punk,United States,Nebraska,AAC,96
Alaska Public Radio,http://alaska.example.test/stream.mp3,,news,United States,Alaska,MP3,64
Two Tone Ska,http://twotone.example.test/stream.mp3,,ska,United Kingdom,,MP3,128
)";

const QString retrievingError =
    u"Error retrieving data, Please check your Internet connection or contact "_qs + product::supportEmail() +
    u" for system status."_qs;
const QString connectingError =
    u"Error connecting to Halvorne. If this problem persists, please contact "_qs + product::supportEmail();

}  // namespace

class TestEndToEndFailures final : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;
  std::unique_ptr<DirectoryRelay> relay_;
  std::unique_ptr<test::MainWindowFixture> f;

  MainWindow &window() { return *f->window; }
  ProgramParts &parts() { return *f->parts; }
  ResultsGrid *grid() const { return f->find<ResultsGrid>(u"MSHResults"_qs); }
  QAction *action(const QString &name) const { return f->find<QAction>(name); }

  // "&Start Search" with the given text; returns when the run has ended.
  bool search(const QString &text)
  {
    QSignalSpy finished(&parts().searchRun(), &SearchRun::searchFinished);
    window().searchView().setSearchText(text);
    action(u"menuStart"_qs)->trigger();
    return finished.count() == 1 || finished.wait(30000);
  }

  // The messages shown, as icon, title and text.
  QStringList shown() const
  {
    QStringList lines;
    for (const FakePrompter::Prompt &prompt : f->prompter.prompts) {
      lines << QString::number(int(prompt.icon)) + u'|' + prompt.title + u'|' + prompt.text;
    }
    return lines;
  }
  static QString critical(const QString &title, const QString &text)
  {
    return QString::number(int(PromptIcon::Critical)) + u'|' + title + u'|' + text;
  }

  // The window is unlocked: the search controls, the options, the menus and the toolbar are back.
  void verifyUnlocked()
  {
    QVERIFY(!parts().searchRun().isSearching());
    QVERIFY(f->find<QComboBox>(u"txtSearch"_qs)->isEnabled());
    for (const QString &option : {u"optLive"_qs, u"optArch"_qs, u"optLib"_qs})
      QVERIFY2(f->find<QRadioButton>(option)->isEnabled(), qPrintable(option));
    QVERIFY(action(u"menuStart"_qs)->isEnabled());
    QVERIFY(action(u"menuScan"_qs)->isEnabled());
    QVERIFY(!action(u"menuStop"_qs)->isEnabled());
    auto *searchButton = f->find<QToolButton>(u"toolSearch"_qs);
    QCOMPARE(searchButton->text(), u"Search"_qs);
    QCOMPARE(searchButton->toolTip(), u"Start Search"_qs);
    for (const QString &button :
         {u"toolSetup"_qs, u"toolPlay"_qs, u"toolRecord"_qs, u"toolWebsite"_qs, u"toolScan"_qs})
      QVERIFY2(f->find<QToolButton>(button)->isEnabled(), qPrintable(button));
    QVERIFY(window().controls().browseBar->isEnabled());
    QCOMPARE(window().statusText(1), u"Done"_qs);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  }

 private slots:
  void initTestCase()
  {
    QVERIFY(directory_.import({u"--stations"_qs, directory_.writeFile(u"stations.csv"_qs, stationsCsv)}));
    QVERIFY(directory_.start({u"--quiet"_qs}));
  }

  void init()
  {
    relay_ = std::make_unique<DirectoryRelay>(directory_.port());
    QVERIFY(relay_->listen());
    f = std::make_unique<test::MainWindowFixture>();
    window().GetSettings();
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
  }

  void cleanup()
  {
    if (relay_) relay_->release();
    f.reset();
    relay_.reset();
  }

  void anErrorPageGivesItsMessageThenTheTwoTransferMessages()
  {
    // Every address the directory does not know is answered by its "404 Object Not Found" page.
    parts().setDataServer(u"127.0.0.1:%1/gone"_qs.arg(directory_.port()));
    QVERIFY(search(u"ska"_qs));

    QCOMPARE(shown(), (QStringList{critical(u"Tessivar! Broadcast"_qs, u"Error 404 : Object Not Found"_qs),
                                   critical(u"Tessivar"_qs, retrievingError),
                                   critical(u"Tessivar"_qs, connectingError)}));
    QCOMPARE(grid()->dataRowCount(), 0);
    QCOMPARE(f->find<QLabel>(u"lblSearch2"_qs)->text(), u"  Search Results (0)"_qs);
    verifyUnlocked();
  }

  void aDroppedConnectionKeepsTheRowsAndGivesTheTwoTransferMessages()
  {
    relay_->setMode(DirectoryRelay::Mode::DropAfterAnchors, 2);
    parts().setDataServer(u"127.0.0.1:%1"_qs.arg(relay_->port()));
    QSignalSpy finished(&parts().searchRun(), &SearchRun::searchFinished);
    window().searchView().setSearchText(u"ska"_qs);
    action(u"menuStart"_qs)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(relay_->heldAnswers(), 1, 20000);
    QTRY_COMPARE(grid()->dataRowCount(), 2);

    relay_->release();  // the connection is reset in the middle of the page
    QVERIFY(finished.wait(30000));
    QCOMPARE(shown(), (QStringList{critical(u"Tessivar"_qs, retrievingError),
                                   critical(u"Tessivar"_qs, connectingError)}));
    QCOMPARE(grid()->dataRowCount(), 2);
    QCOMPARE(f->find<QLabel>(u"lblSearch2"_qs)->text(), u"  Search Results (2)"_qs);
    verifyUnlocked();
  }

  void anUnreachableServerGivesTheTwoTransferMessagesAndTheNextSearchWorks()
  {
    quint16 freePort = 0;
    {
      QTcpServer probe;
      QVERIFY(probe.listen(QHostAddress::LocalHost));
      freePort = probe.serverPort();
    }
    parts().setDataServer(u"127.0.0.1:%1"_qs.arg(freePort));
    QVERIFY(search(u"ska"_qs));
    QCOMPARE(shown(), (QStringList{critical(u"Tessivar"_qs, retrievingError),
                                   critical(u"Tessivar"_qs, connectingError)}));
    QCOMPARE(grid()->dataRowCount(), 0);
    verifyUnlocked();

    // The window is ready for the next search as it was before.
    f->prompter.prompts.clear();
    parts().setDataServer(u"127.0.0.1:%1"_qs.arg(directory_.port()));
    QVERIFY(search(u"ska"_qs));
    QVERIFY(f->prompter.prompts.isEmpty());
    QCOMPARE(grid()->dataRowCount(), 4);
    verifyUnlocked();
  }
};

TESSIVAR_TEST_MAIN(TestEndToEndFailures)
#include "test_end_to_end_failures.moc"
