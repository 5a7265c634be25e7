#include "base/setting_key.h"
#include "results/result_table_model.h"
#include "results/ui/results_grid.h"
#include "support/test_environment.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace tessivar;

class TestResultsGrid final : public QObject
{
  Q_OBJECT

 private:
  results_layout::SortDirection direction;
  std::unique_ptr<ResultTableModel> model;
  std::unique_ptr<ResultsGrid> grid;
  ResultLayout layout = ResultLayout::Live;
  bool busy = false;
  bool miniBrowser = false;
  QStringList drags;

  std::unique_ptr<ResultsGrid> makeGrid(ResultsGrid::Kind kind)
  {
    auto made = std::make_unique<ResultsGrid>(kind, direction);
    made->setResultModel(model.get());
    made->setLayoutSource([this] { return layout; });
    made->setPreVerifyBusySource([this] { return busy; });
    made->setMiniBrowserSource([this] { return miniBrowser; });
    made->setDragStarter([this](const QString &payload) { drags << payload; });
    made->resize(640, 300);
    made->show();
    made->applyColumnLayout();
    return made;
  }

  // One row from its cells, column 0 first; missing cells stay empty.
  void addRow(const QStringList &texts)
  {
    const int row = model->rowCount();
    model->setRowCount(row + 1);
    for (int column = 0; column < texts.size(); ++column) model->setText(row, column, texts.at(column));
  }

  // Three live stations, deliberately out of order by name and by speed.
  void fillLive()
  {
    layout = ResultLayout::Live;
    addRow({QStringLiteral("Bravo"),
            QStringLiteral("MP3"),
            QStringLiteral("Oslo"),
            QStringLiteral("128k"),
            QStringLiteral("http://b.example/listen.pls"),
            QStringLiteral("http://b.example/"),
            {},
            {},
            QStringLiteral("128")});
    addRow({QStringLiteral("alpha"),
            QStringLiteral("Real"),
            QStringLiteral("Rome"),
            QStringLiteral("24k"),
            QStringLiteral("http://a.example/live.ram"),
            QStringLiteral("Unknown"),
            {},
            {},
            QStringLiteral("24")});
    addRow({QStringLiteral("Charlie"),
            QStringLiteral("WMA"),
            QStringLiteral("Lima"),
            QStringLiteral("Unknown"),
            QStringLiteral("http://c.example/show.asx"),
            QStringLiteral("http://c.example/"),
            {},
            {},
            QStringLiteral("5000")});
  }

  // Three clips: lengths 65, 600 and 9 seconds.
  void fillArchive()
  {
    layout = ResultLayout::Archive;
    addRow({{},
            QStringLiteral("[1:5]"),
            QStringLiteral("56k"),
            QStringLiteral("Middle clip"),
            QStringLiteral("11"),
            QStringLiteral("http://x.example/m.rm"),
            QStringLiteral("http://x.example/m"),
            QStringLiteral("1"),
            QStringLiteral("56"),
            QStringLiteral("65")});
    addRow({{},
            QStringLiteral("[10:0]"),
            QStringLiteral("300k"),
            QStringLiteral("Long clip"),
            QStringLiteral("12"),
            QStringLiteral("http://x.example/l.asf"),
            QStringLiteral("Unknown"),
            QStringLiteral("0"),
            QStringLiteral("300"),
            QStringLiteral("600")});
    addRow({{},
            QStringLiteral("[0:9]"),
            QStringLiteral("8k"),
            QStringLiteral("Short clip"),
            QStringLiteral("13"),
            QStringLiteral("http://x.example/s.mp3"),
            QStringLiteral("http://x.example/s"),
            QStringLiteral("0"),
            QStringLiteral("8"),
            QStringLiteral("9")});
  }

  QStringList column(int index) const
  {
    QStringList texts;
    for (int row = 1; row < grid->rows(); ++row) texts << grid->cellText(row, index);
    return texts;
  }

  void clickHeader(int section)
  {
    QHeaderView *header = grid->horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
  }

  QPoint rowCentre(int row) const
  {
    const QModelIndex index = model->index(row - 1, 0);
    return grid->visualRect(index).center();
  }

  void key(int key, Qt::KeyboardModifiers modifiers = {})
  {
    QTest::keyClick(grid.get(), Qt::Key(key), modifiers);
  }

 private slots:
  void init()
  {
    direction = {};
    model = std::make_unique<ResultTableModel>();
    busy = false;
    miniBrowser = false;
    drags.clear();
    grid = makeGrid(ResultsGrid::Kind::Results);
  }

  void cleanup()
  {
    grid.reset();
    model.reset();
  }

  void anEmptyGridStillCountsAHeaderAndOneRow()
  {
    QCOMPARE(grid->rows(), 2);
    QCOMPARE(grid->currentRow(), 1);
    QCOMPARE(grid->cellText(1, 0), QString());
    QVERIFY(grid->objectName() == QStringLiteral("MSHResults"));
    QVERIFY(!grid->accessibleName().isEmpty());
  }

  void columnsFollowTheLayoutAndHideTheKeys()
  {
    fillLive();
    grid->applyColumnLayout();
    for (int hidden = 4; hidden < 10; ++hidden) QVERIFY(grid->isColumnHidden(hidden));
    QCOMPARE(model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Speed Kb/s"));
    const double dpi = grid->screen()->logicalDotsPerInchX();
    QCOMPARE(grid->columnWidth(3), qRound(1100 * dpi / 1440));
    // Station takes three times the room of Format; together the four fit the grid.
    QVERIFY(qAbs(grid->columnWidth(0) - 3 * grid->columnWidth(1)) <= 3);
    int total = 0;
    for (int visible = 0; visible < 4; ++visible) total += grid->columnWidth(visible);
    QVERIFY(total <= grid->viewport()->width());
    QVERIFY(total >= grid->viewport()->width() - 3);

    layout = ResultLayout::Archive;
    grid->applyColumnLayout();
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Len"));
    QCOMPARE(grid->columnWidth(0), qRound(300 * dpi / 1440));
    QCOMPARE(grid->columnWidth(1), qRound(650 * dpi / 1440));
    QCOMPARE(grid->columnWidth(2), qRound(900 * dpi / 1440));
  }

  void headerClicksShareOneFlippingDirectionAndUseTheNumericKeys()
  {
    fillLive();
    clickHeader(0);  // first click: ascending, as case-sensitive text
    QCOMPARE(column(0),
             (QStringList{QStringLiteral("Bravo"), QStringLiteral("Charlie"), QStringLiteral("alpha")}));
    QCOMPARE(grid->currentRow(), 1);
    QCOMPARE(grid->selectionEndRow(), 1);
    clickHeader(3);  // another column: descending, by the numeric speed key
    QCOMPARE(column(8), (QStringList{QStringLiteral("5000"), QStringLiteral("128"), QStringLiteral("24")}));

    // The related grid flips the same direction.
    auto related = makeGrid(ResultsGrid::Kind::Related);
    QCOMPARE(direction.current(), Qt::DescendingOrder);
    related->sortByHeader(0);
    QCOMPARE(direction.current(), Qt::AscendingOrder);
  }

  void archiveHeadersSortByTheHiddenNumbers()
  {
    fillArchive();
    grid->applyColumnLayout();
    clickHeader(1);  // "Len": seconds in column 9, ascending
    QCOMPARE(column(9), (QStringList{QStringLiteral("9"), QStringLiteral("65"), QStringLiteral("600")}));
    clickHeader(2);  // "BPS": bit rate in column 8, descending
    QCOMPARE(column(8), (QStringList{QStringLiteral("300"), QStringLiteral("56"), QStringLiteral("8")}));
    clickHeader(3);  // "Title": as text, ascending
    QCOMPARE(column(3), (QStringList{QStringLiteral("Long clip"), QStringLiteral("Middle clip"),
                                     QStringLiteral("Short clip")}));
  }

  void homeEndAndTheirShiftFormsMoveTheSelection()
  {
    fillLive();
    QSignalSpy links(grid.get(), &ResultsGrid::statusLinkChanged);
    QSignalSpy formats(grid.get(), &ResultsGrid::streamFormatCheckRequested);
    grid->setFocus();
    grid->selectRows(2, 2);

    key(Qt::Key_End);
    QCOMPARE(grid->currentRow(), 3);
    QCOMPARE(grid->selectionEndRow(), 3);
    QCOMPARE(links.last().at(0).toString(), QStringLiteral("http://c.example/"));

    key(Qt::Key_Home);
    QCOMPARE(grid->currentRow(), 1);
    QCOMPARE(grid->selectionEndRow(), 1);
    QCOMPARE(grid->topRow(), 1);
    QCOMPARE(links.last().at(0).toString(), QStringLiteral("http://b.example/"));

    grid->selectRows(2, 2);
    key(Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(grid->currentRow(), 2);
    QCOMPARE(grid->selectionEndRow(), 3);
    key(Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(grid->currentRow(), 2);
    QCOMPARE(grid->selectionEndRow(), 1);

    QVERIFY(formats.count() >= 4);
    QVERIFY(grid->lastWebsiteShown().isEmpty());
  }

  void ctrlASelectsEveryDataRowWithTheLastCurrent()
  {
    fillLive();
    grid->setFocus();
    grid->selectRows(1, 1);
    key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(grid->currentRow(), 3);
    QCOMPARE(grid->selectionEndRow(), 1);
    QCOMPARE(grid->selectionModel()->selectedRows().size(), 3);
  }

  void doubleClickPlaysTheRowOfTheLayout()
  {
    fillLive();
    QSignalSpy plays(grid.get(), &ResultsGrid::playRequested);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(2));
    QCOMPARE(plays.size(), 1);
    QCOMPARE(plays.last().at(0).toString(), QStringLiteral("http://a.example/live.ram"));
    QCOMPARE(plays.last().at(1).toString(), QStringLiteral("alpha"));

    // Live: several selected rows still play the current one.
    grid->selectRows(3, 1);
    grid->playRow();
    QCOMPARE(plays.size(), 2);
    QCOMPARE(plays.last().at(1).toString(), QStringLiteral("Charlie"));
  }

  void archiveDoubleClickPlaysOnlyASingleSelectedRow()
  {
    fillArchive();
    QSignalSpy plays(grid.get(), &ResultsGrid::playRequested);
    grid->selectRows(1, 1);
    grid->playRow();
    QCOMPARE(plays.size(), 1);
    QCOMPARE(plays.last().at(0).toString(), QStringLiteral("http://x.example/m.rm"));
    QCOMPARE(plays.last().at(1).toString(), QStringLiteral("Middle clip"));

    grid->setFocus();
    key(Qt::Key_A, Qt::ControlModifier);
    grid->playRow();
    QCOMPARE(plays.size(), 1);

    // The related grid plays the selected rows as a playlist instead.
    auto related = makeGrid(ResultsGrid::Kind::Related);
    QSignalSpy playlists(related.get(), &ResultsGrid::playlistRequested);
    related->selectRows(1, 3);
    related->playRow();
    QCOMPARE(playlists.size(), 1);
    QCOMPARE(playlists.last().at(0).value<QList<int>>(), (QList<int>{1, 2, 3}));
  }

  void rowClicksShowTheLinkOrPreviewTheWebsiteOnce()
  {
    fillArchive();
    QSignalSpy links(grid.get(), &ResultsGrid::statusLinkChanged);
    QSignalSpy related(grid.get(), &ResultsGrid::relatedResultsRequested);
    QSignalSpy previews(grid.get(), &ResultsGrid::websitePreviewRequested);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(3));
    QCOMPARE(links.last().at(0).toString(), QStringLiteral("http://x.example/s.mp3"));
    QCOMPARE(related.last().at(0).toInt(), 3);
    QCOMPARE(previews.size(), 0);

    miniBrowser = true;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QCOMPARE(previews.size(), 1);
    QCOMPARE(previews.last().at(0).toString(), QStringLiteral("http://x.example/m"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(2));  // website "Unknown"
    QCOMPARE(previews.size(), 1);
    // A key press forgets the last preview, so the same row previews again.
    grid->setFocus();
    key(Qt::Key_Up);
    grid->selectRows(1, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QCOMPARE(previews.size(), 2);
  }

  void clicksAndDoubleClicksAreRefusedWhilePreVerifying()
  {
    fillLive();
    busy = true;
    QSignalSpy plays(grid.get(), &ResultsGrid::playRequested);
    QSignalSpy related(grid.get(), &ResultsGrid::relatedResultsRequested);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rowCentre(1));
    clickHeader(0);
    QCOMPARE(plays.size(), 0);
    QCOMPARE(related.size(), 0);
    QCOMPARE(column(0).first(), QStringLiteral("Bravo"));
    // Keys still update the status bar.
    QSignalSpy links(grid.get(), &ResultsGrid::statusLinkChanged);
    grid->setFocus();
    key(Qt::Key_End);
    QVERIFY(!links.isEmpty());
    QCOMPARE(links.last().at(0).toString(), QStringLiteral("http://c.example/"));
  }

  void shiftDragCarriesNameAndAddressOfTheGrabbedLiveRow()
  {
    fillLive();
    QTest::mousePress(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(2));
    QCOMPARE(drags.size(), 1);
    QCOMPARE(drags.last(),
             QStringLiteral("alpha") + presetSeparator + QStringLiteral("http://a.example/live.ram"));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(2));

    // A plain press or Ctrl+Shift starts none.
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QTest::mousePress(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier,
                      rowCentre(1));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier,
                        rowCentre(1));
    QCOMPARE(drags.size(), 1);
  }

  void shiftDragStartsNothingInTheArchiveLayoutOrOnAnEmptyGrid()
  {
    QTest::mousePress(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(20, 10));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(20, 10));
    fillArchive();
    QTest::mousePress(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(1));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(1));
    QVERIFY(drags.isEmpty());
  }

  void theRelatedGridIgnoresClicksUntilItHasTwoResults()
  {
    layout = ResultLayout::Archive;
    auto related = makeGrid(ResultsGrid::Kind::Related);
    addRow({{}, {}, {}, QStringLiteral("No additional information available.")});
    QSignalSpy links(related.get(), &ResultsGrid::statusLinkChanged);
    QTest::mouseClick(related->viewport(), Qt::LeftButton, {},
                      related->visualRect(model->index(0, 0)).center());
    QCOMPARE(links.size(), 0);
    addRow({{}, {}, {}, QStringLiteral("Clip"), {}, QStringLiteral("http://x.example/c.rm")});
    QTest::mouseClick(related->viewport(), Qt::LeftButton, {},
                      related->visualRect(model->index(1, 0)).center());
    QCOMPARE(links.size(), 1);
    QCOMPARE(links.last().at(0).toString(), QStringLiteral("http://x.example/c.rm"));
  }
};

TESSIVAR_TEST_MAIN(TestResultsGrid)
#include "test_results_grid.moc"
