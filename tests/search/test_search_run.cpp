// Whole search runs against a server in the test process: the page arrives in chosen blocks,
// stalls, breaks off or is an error page; the fake window records what the run did to it.

#include "base/product.h"
#include "platform/http_transfer_network.h"
#include "search/result_parser.h"
#include "search/search_clock.h"
#include "search/search_query.h"
#include "search/search_run.h"
#include "support/fake_prompter.h"
#include "support/fake_search_window.h"
#include "support/http_test_server.h"
#include "support/test_environment.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>

#include <memory>

using namespace tessivar;
using tessivar::test::FakePrompter;
using tessivar::test::FakeSearchWindow;
using tessivar::test::HttpTestServer;

namespace {

QByteArray liveAnchor(const QByteArray &name, const QByteArray &speed = "56")
{
  return "<A HREF=\"http://streams.example/" + name + ".ram\">" + name + "**RealAudio&&Boston, MA^^" + speed +
         "$$1@@http://site.example/</A><BR>\r\n";
}

QByteArray archiveAnchor(const QByteArray &title, int seconds)
{
  return "<A HREF=\"http://clips.example/" + title + ".rm\">" + title + "**RealVideo&&Web^^34$$" +
         QByteArray::number(seconds) + "~~7~$~$1@@Unknown</A><BR>\r\n";
}

const QByteArray pageStart = "<HTML><BODY>\r\n";
const QByteArray pageEnd = "</BODY></HTML>\r\n";

QString retrievingError()
{
  return QStringLiteral("Error retrieving data, Please check your Internet connection or contact ") +
         product::supportEmail() + QStringLiteral(" for system status.");
}

QString connectingError()
{
  return QStringLiteral("Error connecting to Halvorne. If this problem persists, please contact ") +
         product::supportEmail();
}

QStringList columnTexts(const ResultTableModel &model, int column)
{
  QStringList texts;
  for (int row = 0; row < model.rowCount(); ++row) texts << model.text(row, column);
  return texts;
}

}  // namespace

class TestSearchRun : public QObject
{
  Q_OBJECT

  std::unique_ptr<HttpTestServer> server;
  std::unique_ptr<FakeSearchWindow> window;
  std::unique_ptr<NetworkHttpTransfer> transfer;
  std::unique_ptr<FakePrompter> prompter;
  std::unique_ptr<SearchRun> run;

  // Starts a run with the given entry point and waits until it has ended.
  bool runToEnd(const std::function<void()> &start)
  {
    QSignalSpy finished(run.get(), &SearchRun::searchFinished);
    start();
    if (finished.isEmpty() && !finished.wait(10000)) return false;
    return finished.size() == 1 && !run->isSearching();
  }

  bool keywordSearch(const QString &text)
  {
    window->text = text;
    return runToEnd([this] { run->RunSearch(window->input()); });
  }

  // The window is back in its idle state and nothing is left running.
  void verifyIdleAfterRun()
  {
    QVERIFY(!window->locked);
    QVERIFY(window->searchBoxEnabled);
    QCOMPARE(window->log.last(), QStringLiteral("unlock"));
    QVERIFY(transfer->isIdle());
    QVERIFY(!run->clockTimer()->isActive());
    QCOMPARE(window->statusPanels[1], QStringLiteral("Done"));
    QCOMPARE(window->progressValue, 0);
  }

  void servePage(const QByteArray &body) { server->setScript(HttpTestServer::page(200, "OK", body)); }

 private slots:
  void init()
  {
    server = std::make_unique<HttpTestServer>();
    QVERIFY(server->listen());
    window = std::make_unique<FakeSearchWindow>();
    window->server = QStringLiteral("127.0.0.1:") + QString::number(server->port());
    transfer = std::make_unique<NetworkHttpTransfer>();
    prompter = std::make_unique<FakePrompter>();
    prompter->onAsk = [this](const FakePrompter::Prompt &prompt) {
      window->log << QStringLiteral("prompt:") + prompt.text;
    };
    run = std::make_unique<SearchRun>(*window, *transfer, *window, *prompter);
  }

  void cleanup()
  {
    run.reset();
    transfer.reset();
    window.reset();
    server.reset();
    prompter.reset();
  }

  void keywordSearchFillsSortedLiveGrid()
  {
    servePage(pageStart + liveAnchor("Zeta") + liveAnchor("alpha") + liveAnchor("Beta") + pageEnd);
    QVERIFY(keywordSearch(QStringLiteral("blues rock")));

    QCOMPARE(server->requests().size(), 1);
    QVERIFY(server->requests().first().startsWith(
        "GET /tessivar37.asp?V=3.7&P=T&T1=blues+rock&F=1&RA=1&MA=1&RV=1&NA=1&NV=1&AV=1&WA=1&SW=1"
        "&MPEG=1&LIVE=1&SPD=0 "));
    // Sorted on the station name as case-sensitive text.
    QCOMPARE(columnTexts(window->results, 0),
             (QStringList{QStringLiteral("Beta"), QStringLiteral("Zeta"), QStringLiteral("alpha")}));
    QCOMPARE(run->resultCount(), 3);
    QCOMPARE(window->resultsCaption, QStringLiteral("  Search Results (3)"));
    QCOMPARE(window->text, QStringLiteral("blues+rock"));
    QCOMPARE(window->history, QStringList{QStringLiteral("blues+rock")});
    QCOMPARE(window->preVerifyCalls, 0);
    QVERIFY(prompter->prompts.isEmpty());
    QCOMPARE(window->log.first(), QStringLiteral("lock"));
    verifyIdleAfterRun();

    // The next search empties the grids before the window stops repainting them.
    QVERIFY(keywordSearch(QStringLiteral("blues rock")));
    QCOMPARE(window->rowsAtLock, 0);
  }

  void archiveSearchSortsOnTitleAndPreVerifies()
  {
    window->mode = SearchMode::Archive;
    servePage(pageStart + archiveAnchor("Owl", 65) + archiveAnchor("Crow", 59) + pageEnd);
    QVERIFY(keywordSearch(QStringLiteral("birds")));

    QCOMPARE(columnTexts(window->results, 3), (QStringList{QStringLiteral("Crow"), QStringLiteral("Owl")}));
    QCOMPARE(window->preVerifyCalls, 1);
    QCOMPARE(window->rowsAtPreVerify, QList<int>{2});
    QCOMPARE(
        window->log.mid(window->log.size() - 3),
        (QStringList{QStringLiteral("preVerify"), QStringLiteral("searchBox:on"), QStringLiteral("unlock")}));
    verifyIdleAfterRun();
  }

  void rowsAppearBeforeThePageEnds()
  {
    const QByteArray first = pageStart + liveAnchor("One") + liveAnchor("Two") + "<A HREF=\"http://str";
    const QByteArray second = "eams.example/three.ram\">Three**MP3&&Oslo^^128$$0@@Unknown</A>" + pageEnd;
    server->setScript({HttpTestServer::send(HttpTestServer::head(200, "OK", first.size() + second.size())),
                       HttpTestServer::send(first), HttpTestServer::hold(), HttpTestServer::send(second)});
    QSignalSpy finished(run.get(), &SearchRun::searchFinished);
    window->text = QStringLiteral("any");
    run->RunSearch(window->input());

    QTRY_COMPARE(window->results.rowCount(), 2);
    QVERIFY(run->isSearching());
    QVERIFY(window->locked);
    QVERIFY(run->clockTimer()->isActive());
    server->release();
    QVERIFY(finished.wait(10000));
    QCOMPARE(window->results.rowCount(), 3);
    verifyIdleAfterRun();
  }

  void stopMidPageKeepsRowsAndShowsNothing()
  {
    const QByteArray first = pageStart + liveAnchor("One") + liveAnchor("Two");
    server->setScript({HttpTestServer::send(HttpTestServer::head(200, "OK", first.size() + 4000)),
                       HttpTestServer::send(first), HttpTestServer::hold()});
    QSignalSpy finished(run.get(), &SearchRun::searchFinished);
    window->text = QStringLiteral("any");
    run->RunSearch(window->input());
    QTRY_COMPARE(window->results.rowCount(), 2);

    run->stopSearch();
    QVERIFY(finished.wait(10000));
    QVERIFY(run->stopRequested());
    QVERIFY(!run->lastRunSucceeded());
    QCOMPARE(window->results.rowCount(), 2);
    QCOMPARE(window->resultsCaption, QStringLiteral("  Search Results (2)"));
    QVERIFY(prompter->prompts.isEmpty());
    verifyIdleAfterRun();
  }

  void stopBeforeAnyAnswerShowsNothing()
  {
    server->setScript({HttpTestServer::hold()});
    QSignalSpy finished(run.get(), &SearchRun::searchFinished);
    window->text = QStringLiteral("any");
    run->RunSearch(window->input());
    QTRY_COMPARE(server->requests().size(), 1);
    run->stopSearch();
    QVERIFY(finished.wait(10000));
    QCOMPARE(window->results.rowCount(), 0);
    QVERIFY(prompter->prompts.isEmpty());
    verifyIdleAfterRun();
  }

  void errorPageGivesItsMessageThenTheTwoTransferErrors()
  {
    server->setScript(HttpTestServer::page(404, "Object Not Found",
                                           "<HTML><BODY>HTTP/1.0 404 Object Not Found</BODY></HTML>"));
    QVERIFY(keywordSearch(QStringLiteral("nothing")));

    QCOMPARE(prompter->texts(), (QStringList{QStringLiteral("Error 404 : Object Not Found"),
                                             retrievingError(), connectingError()}));
    QCOMPARE(prompter->prompts[0].title, QStringLiteral("Tessivar! Broadcast"));
    for (const auto &prompt : std::as_const(prompter->prompts)) QCOMPARE(prompt.icon, PromptIcon::Critical);
    QCOMPARE(prompter->prompts[1].title, QStringLiteral("Tessivar"));
    QCOMPARE(prompter->prompts[2].title, QStringLiteral("Tessivar"));
    QVERIFY(!run->lastRunSucceeded());
    QCOMPARE(window->results.rowCount(), 0);
    // The search box is usable again before the last message.
    QCOMPARE(window->log.mid(window->log.size() - 3),
             (QStringList{QStringLiteral("searchBox:on"), QStringLiteral("prompt:") + connectingError(),
                          QStringLiteral("unlock")}));
    verifyIdleAfterRun();
  }

  void errorWordsInsideResultsAreNoErrorPage()
  {
    servePage(pageStart + liveAnchor("Forbidden Planet") + liveAnchor("404 Object Not Found") + pageEnd);
    QVERIFY(keywordSearch(QStringLiteral("planet")));
    QVERIFY(prompter->prompts.isEmpty());
    QCOMPARE(window->results.rowCount(), 2);
  }

  void transferFailuresGiveTheTwoMessages_data()
  {
    QTest::addColumn<bool>("unreachable");
    QTest::newRow("dropped connection") << false;
    QTest::newRow("unreachable server") << true;
  }

  void transferFailuresGiveTheTwoMessages()
  {
    QFETCH(bool, unreachable);
    if (unreachable) {
      QTcpServer closed;
      QVERIFY(closed.listen(QHostAddress::LocalHost));
      window->server = QStringLiteral("127.0.0.1:") + QString::number(closed.serverPort());
      closed.close();
    } else {
      server->setScript({HttpTestServer::reset()});
    }
    QVERIFY(keywordSearch(QStringLiteral("any")));

    QCOMPARE(prompter->texts(), (QStringList{retrievingError(), connectingError()}));
    QVERIFY(!run->lastRunSucceeded());
    QCOMPARE(window->results.rowCount(), 0);
    verifyIdleAfterRun();
  }

  // A page that goes on and on without a result (and a page count that never ends) fails like a
  // broken transfer; the rows before stay, and the page text held stays small throughout.
  void endlessTextWithoutResultsFailsWithBoundedMemory()
  {
    const QByteArray junk(64 * 1024 * 1024, 'x');
    servePage(pageStart + liveAnchor("First") + "&&&&TOTALPAGES:" + junk);
    qsizetype mostHeld = 0;
    connect(&run->parser(), &ResultPageParser::progressChanged, this,
            [this, &mostHeld] { mostHeld = std::max(mostHeld, run->parser().bufferedBytes()); });
    QVERIFY(keywordSearch(QStringLiteral("any")));

    QCOMPARE(prompter->texts(), (QStringList{retrievingError(), connectingError()}));
    QCOMPARE(columnTexts(window->results, 0), QStringList{QStringLiteral("First")});
    QVERIFY2(mostHeld < 4 * 1024 * 1024, QByteArray::number(mostHeld).constData());
    QCOMPARE(window->totalPagesShown.last().size(), 64);
    verifyIdleAfterRun();
  }

  void emptyResultNotesMissingPlayerFormats_data()
  {
    QTest::addColumn<bool>("allFormats");
    QTest::newRow("all eight formats") << true;
    QTest::newRow("RealPlayer audio off") << false;
  }

  void emptyResultNotesMissingPlayerFormats()
  {
    QFETCH(bool, allFormats);
    if (!allFormats) window->formats.chkRA = 0;
    // The FTP-link boxes do not count.
    window->formats.chkNF = 0;
    servePage(pageStart + "No stations" + pageEnd);
    QVERIFY(keywordSearch(QStringLiteral("zzz")));

    QString expected = QStringLiteral("No results returned. Try a less specific search. ");
    if (!allFormats)
      expected += QStringLiteral(
          " **NOTE : Not all player formats are selected, this may cause you "
          "receive less results.");
    QCOMPARE(prompter->texts(), QStringList{expected});
    QCOMPARE(prompter->prompts[0].icon, PromptIcon::Information);
    QCOMPARE(prompter->prompts[0].title, QStringLiteral("Tessivar"));
    QCOMPARE(window->resultsCaption, QStringLiteral("  Search Results (0)"));
    verifyIdleAfterRun();
  }

  void genreSearchEmptiesTheBoxAndKeepsNoHistory()
  {
    servePage(pageStart + liveAnchor("Jazz FM") + pageEnd);
    window->text = QStringLiteral("Jazz");
    SearchInput genre = window->input();
    genre.genreFormatCode = 2;
    QVERIFY(runToEnd([this, genre] { run->RunSearch(genre); }));
    QVERIFY(server->requests().first().contains("T1=Jazz&"));
    QVERIFY(server->requests().first().contains("&FMT=2&"));
    QCOMPARE(window->text, QString());
    QVERIFY(window->history.isEmpty());

    // "&Start Search" drops the genre again.
    window->text = QStringLiteral("Jazz");
    QVERIFY(runToEnd([this] { run->RunSearch(window->input()); }));
    QVERIFY(!server->requests().last().contains("FMT="));
    QCOMPARE(window->text, QStringLiteral("Jazz"));
  }

  // A "#" typed in the box is part of the keywords: the rest of the address (formats, LIVE,
  // speed) still reaches the server.
  void hashInKeywordsKeepsTheRestOfTheAddress()
  {
    servePage(pageStart + liveAnchor("Sharp") + pageEnd);
    QVERIFY(keywordSearch(QStringLiteral("C# minor")));
    QCOMPARE(server->requests().size(), 1);
    QVERIFY2(server->requests().first().startsWith("GET /tessivar37.asp?V=3.7&P=T&T1=C%23+minor&F=1&RA=1&"),
             server->requests().first().constData());
    QVERIFY2(server->requests().first().contains("&LIVE=1&SPD=0 HTTP/1.1\r\n"),
             server->requests().first().constData());
    QCOMPARE(window->text, QStringLiteral("C#+minor"));
  }

  void emptyBoxIsRefusedWithoutTouchingTheWindow()
  {
    window->text.clear();
    run->SearchFromBox(window->input());
    QCOMPARE(prompter->texts(), QStringList{QStringLiteral("Please enter search text.")});
    QCOMPARE(prompter->prompts[0].icon, PromptIcon::Information);
    QCOMPARE(prompter->prompts[0].title, QStringLiteral("Tessivar! Broadcast"));

    run->RunSearch(window->input());
    QCOMPARE(prompter->prompts.size(), 2);
    QCOMPARE(prompter->prompts[1].text, emptyKeywordsMessage());
    QCOMPARE(prompter->prompts[1].icon, PromptIcon::Critical);
    QCOMPARE(prompter->prompts[1].title, QStringLiteral("Tessivar"));

    QVERIFY(!run->isSearching());
    QVERIFY(window->log.filter(QStringLiteral("lock")).isEmpty());
    QTest::qWait(50);
    QVERIFY(server->requests().isEmpty());
  }

  void secondSearchDuringARunIsIgnored()
  {
    server->setScript({HttpTestServer::hold()});
    QSignalSpy finished(run.get(), &SearchRun::searchFinished);
    window->text = QStringLiteral("first");
    run->RunSearch(window->input());
    QTRY_COMPARE(server->requests().size(), 1);
    window->text = QStringLiteral("second");
    SearchInput second = window->input();
    second.genreFormatCode = 5;
    run->RunSearch(second);
    QVERIFY(run->isSearching());
    run->stopSearch();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(server->requests().size(), 1);
    QCOMPARE(window->log.filter(QStringLiteral("lock")).size(), 2);  // one lock, one unlock
  }

  void closingWindowEndsTheRunWithoutUnlocking()
  {
    server->setScript({HttpTestServer::send(HttpTestServer::head(200, "OK", 5000)), HttpTestServer::hold()});
    QSignalSpy finished(run.get(), &SearchRun::searchFinished);
    window->text = QStringLiteral("any");
    run->RunSearch(window->input());
    QTRY_COMPARE(server->requests().size(), 1);

    window->unloading = true;
    run->stopSearch();
    QVERIFY(finished.wait(10000));
    QVERIFY(window->locked);
    QVERIFY(!window->log.contains(QStringLiteral("unlock")));
    QVERIFY(prompter->prompts.isEmpty());
    QVERIFY(transfer->isIdle());
    QVERIFY(!run->clockTimer()->isActive());
  }

  void closingDuringPreVerificationLeavesTheWindowAlone()
  {
    window->mode = SearchMode::Library;
    window->holdPreVerify = true;
    servePage(pageStart + archiveAnchor("Owl", 65) + pageEnd);
    QSignalSpy started(window.get(), &FakeSearchWindow::preVerifyStarted);
    QSignalSpy finished(run.get(), &SearchRun::searchFinished);
    window->text = QStringLiteral("owl");
    run->RunSearch(window->input());
    QVERIFY(started.wait(10000));

    window->unloading = true;
    run->stopSearch();
    window->releasePreVerify();
    QVERIFY(finished.wait(10000));
    QVERIFY(window->locked);
    QVERIFY(prompter->prompts.isEmpty());
  }

  // The page arrived whole before the stop: only its verification was cut short, and its "Verify
  // Cancelled" is not overwritten with "Done".
  void stopDuringPreVerificationKeepsThePageAndItsStatus()
  {
    window->mode = SearchMode::Library;
    window->holdPreVerify = true;
    servePage(pageStart + archiveAnchor("Owl", 65) + pageEnd);
    QSignalSpy started(window.get(), &FakeSearchWindow::preVerifyStarted);
    QSignalSpy finished(run.get(), &SearchRun::searchFinished);
    run->RunSearch(window->input(SearchRequestKind::Browse, QStringLiteral("O"), 2));
    QVERIFY(started.wait(10000));

    run->stopSearch();
    window->statusPanels[1] = QStringLiteral("Verify Cancelled");
    window->releasePreVerify();
    QVERIFY(finished.wait(10000));
    QVERIFY(run->lastRunSucceeded());
    QCOMPARE(window->statusPanels[1], QStringLiteral("Verify Cancelled"));
  }

  void windowDestroyedDuringARun()
  {
    server->setScript({HttpTestServer::hold()});
    QSignalSpy finished(run.get(), &SearchRun::searchFinished);
    window->text = QStringLiteral("any");
    run->RunSearch(window->input());
    QTRY_COMPARE(server->requests().size(), 1);

    window.reset();
    run->stopSearch();
    QVERIFY(finished.wait(10000));
    QVERIFY(prompter->prompts.isEmpty());
    QVERIFY(transfer->isIdle());
    QVERIFY(!run->clockTimer()->isActive());
  }

  void clock()
  {
    QCOMPARE(searchClockText(0), QStringLiteral("00:00"));
    QCOMPARE(searchClockText(59), QStringLiteral("00:59"));
    QCOMPARE(searchClockText(60), QStringLiteral("01:00"));
    QCOMPARE(searchClockText(3725), QStringLiteral("062:05"));

    QCOMPARE(run->clockTimer()->objectName(), QStringLiteral("Timer2"));
    QCOMPARE(run->clockTimer()->interval(), 1000);

    window->statusPanels[1] = QStringLiteral("Done");
    run->clockTick();
    QCOMPARE(window->statusPanels[1], QStringLiteral("Searching..."));
    QCOMPARE(window->statusPanels[2], QStringLiteral("00:01"));
    for (int tick = 1; tick < 75; ++tick) run->clockTick();
    QCOMPARE(window->statusPanels[2], QStringLiteral("01:15"));
    for (int tick = 75; tick < 600; ++tick) run->clockTick();
    QCOMPARE(run->elapsedSeconds(), 600);
    QCOMPARE(window->statusPanels[2], QStringLiteral("010:00"));
  }
};

TESSIVAR_TEST_MAIN(TestSearchRun)
#include "test_search_run.moc"
