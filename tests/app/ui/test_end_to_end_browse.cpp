// The letter browse and the genre entries against the real tessivar-directory.
#include "main_window_fixture.h"

#include "app/ui/application.h"
#include "app/ui/browse_bar.h"
#include "search/search_run.h"
#include "support/directory_fixture.h"
#include "support/test_environment.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

using namespace tessivar;
using tessivar::test::DirectoryFixture;
using tessivar::test::DirectoryRelay;

class TestEndToEndBrowse final : public QObject
{
  Q_OBJECT

 private:
  DirectoryFixture directory_;
  std::unique_ptr<DirectoryRelay> relay_;
  std::unique_ptr<test::MainWindowFixture> f;

  MainWindow &window() { return *f->window; }
  ProgramParts &parts() { return *f->parts; }
  QString lastTarget() const
  {
    return QString::fromUtf8(relay_->requestLines().constLast().split(' ').value(1));
  }
  QString pageLabel() const { return f->find<QLabel>(u"lblBrowse"_qs)->text(); }
  QPushButton *button(const QString &name) const { return f->find<QPushButton>(name); }

  // Waits for the next search to end; false when none ends.
  bool waitForSearch(const std::function<void()> &start)
  {
    QSignalSpy finished(&parts().searchRun(), &SearchRun::searchFinished);
    start();
    return finished.wait(20000);
  }

 private slots:
  void initTestCase()
  {
    // 250 clips under "K": three pages of 100, and three under "Q". One station a genre entry finds.
    QByteArray clips = "title,url,duration_seconds,bitrate,homepage,tags,show\n";
    for (int n = 0; n < 250; ++n)
      clips += "Kettle " + QByteArray::number(1000 + n) + ",http://clips.example.test/k" +
               QByteArray::number(n) + ".mp3,60,64,,talk,\n";
    for (int n = 0; n < 3; ++n)
      clips += "Quill " + QByteArray::number(n) + ",http://clips.example.test/q" + QByteArray::number(n) +
               ".mp3,60,64,,talk,\n";
    QVERIFY(directory_.import(
        {u"--clips"_qs, directory_.writeFile(u"clips.csv"_qs, clips), u"--stations"_qs,
         directory_.writeFile(u"stations.csv"_qs,
                              "name,stream_url,homepage,tags,country,state,codec,bitrate\n"
                              "Swing Hall,http://swing.example.test/s.mp3,,big band,Norway,,"
                              "MP3,64\n")}));
    QVERIFY(directory_.start({u"--quiet"_qs}));
  }

  void init()
  {
    relay_ = std::make_unique<DirectoryRelay>(directory_.port());
    QVERIFY(relay_->listen());
    f = std::make_unique<test::MainWindowFixture>();
    wireProgram(parts());
    window().GetSettings();
    parts().setDataServer(u"127.0.0.1:%1"_qs.arg(relay_->port()));
  }

  void cleanup()
  {
    f.reset();
    relay_.reset();
  }

  void lettersAndPageControlsWalkTheLetter()
  {
    f->find<QRadioButton>(u"optLib"_qs)->click();
    QAbstractButton *k = f->find<QAbstractButton>(u"Label1_10"_qs);
    QCOMPARE(k->accessibleName(), u"K"_qs);
    // A keyboard user opens the letter with Space.
    QVERIFY(waitForSearch([k] { QTest::keyClick(k, Qt::Key_Space); }));
    QCOMPARE(lastTarget(), u"/browse/ra_K_0.asp"_qs);
    QCOMPARE(pageLabel(), u"Current Page : (1 of 3)"_qs);
    QVERIFY(!button(u"cmdP0"_qs)->isEnabled());
    QVERIFY(button(u"cmdP1"_qs)->isEnabled());

    QVERIFY(waitForSearch([this] { button(u"cmdP1"_qs)->click(); }));
    QVERIFY(waitForSearch([this] { button(u"cmdP1"_qs)->click(); }));
    QCOMPARE(lastTarget(), u"/browse/ra_K_3.asp"_qs);
    QCOMPARE(pageLabel(), u"Current Page : (3 of 3)"_qs);
    QVERIFY(!button(u"cmdP1"_qs)->isEnabled());
    QVERIFY(button(u"cmdP0"_qs)->isEnabled());

    // Pages outside 1 to 3 are refused without a request.
    const qsizetype requests = relay_->requestLines().size();
    QLineEdit *pageBox = f->find<QLineEdit>(u"txtPage"_qs);
    for (const QString &typed : {u"0"_qs, u"4"_qs, QString()}) {
      pageBox->setText(typed);
      button(u"cmdGo"_qs)->click();
    }
    QCOMPARE(f->prompter.texts(), QStringList(3, u"Invalid page number."_qs));
    QCOMPARE(relay_->requestLines().size(), requests);
    pageBox->setText(u"2"_qs);
    QVERIFY(waitForSearch([this] { button(u"cmdGo"_qs)->click(); }));
    QCOMPARE(lastTarget(), u"/browse/ra_K_2.asp"_qs);
    QCOMPARE(parts().searchRun().resultCount(), 100);
  }

  void aFailedLetterOffersNoPageOfTheLetterBefore()
  {
    f->find<QRadioButton>(u"optLib"_qs)->click();
    QVERIFY(waitForSearch([this] { f->find<QAbstractButton>(u"Label1_10"_qs)->click(); }));
    QVERIFY(waitForSearch([this] { button(u"cmdP1"_qs)->click(); }));  // K, page 2 of 3
    // "Q" breaks off after its first row.
    relay_->setMode(DirectoryRelay::Mode::DropAfterAnchors, 1);
    QAbstractButton *q = f->find<QAbstractButton>(u"Label1_16"_qs);
    QVERIFY(waitForSearch([this, q] {
      q->click();
      QTRY_COMPARE(relay_->heldAnswers(), 1);
      relay_->release();
    }));
    QCOMPARE(pageLabel(), u"  Current Page : 0 of 0"_qs);
    QVERIFY(!button(u"cmdP0"_qs)->isEnabled() && !button(u"cmdP1"_qs)->isEnabled());
    // The letter asks for its first page again.
    relay_->setMode(DirectoryRelay::Mode::Pass);
    QVERIFY(waitForSearch([q] { q->click(); }));
    QCOMPARE(lastTarget(), u"/browse/ra_Q_0.asp"_qs);
  }

  void genreEntriesSendTheirTextAndClass()
  {
    const auto genre = [this](const QString &name) {
      return waitForSearch([this, name] { f->find<QAction>(name)->trigger(); });
    };
    QVERIFY(genre(u"menuBigBand"_qs));
    QVERIFY2(lastTarget().contains(u"&T1=Big+Band&F=1"_qs), qPrintable(lastTarget()));
    QVERIFY(lastTarget().contains(u"&LIVE=1&FMT=2&SPD="_qs));
    QCOMPARE(parts().searchRun().resultCount(), 1);
    QCOMPARE(window().searchText(), QString());
    QVERIFY(window().searchHistory().entries().isEmpty());

    QVERIFY(genre(u"menuSka"_qs));
    QVERIFY(lastTarget().contains(u"&T1=%5Eska%5E,%5Eska$,ska-,ska/,skamusic,%60ska&F=1"_qs));
    QVERIFY(genre(u"menuSpecial"_qs));
    QVERIFY(lastTarget().contains(u"&FMT=1&"_qs));

    // "&List All Stations" twice leaves one "ALL" in the history.
    QVERIFY(genre(u"menuAll"_qs));
    QVERIFY(genre(u"menuAll"_qs));
    QVERIFY(lastTarget().contains(u"&T1=ALL&"_qs));
    QCOMPARE(window().searchHistory().entries(), QStringList{u"ALL"_qs});
  }
};

TESSIVAR_TEST_MAIN(TestEndToEndBrowse)
#include "test_end_to_end_browse.moc"
