#include "library/ui/bookmarks_window.h"

#include "base/twips.h"
#include "library/bookmarks.h"
#include "platform/station_list.h"
#include "platform/station_list_selection.h"
#include "platform/ui/screen_dpi.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace tessivar {

namespace {

constexpr double smallestSideTwips = 1000;
constexpr double startWidthTwips = 6000;
constexpr double startHeightTwips = 4500;

const QString m3uFilter = QStringLiteral("M3U playlist (*.m3u *.m3u8)");
const QString plsFilter = QStringLiteral("PLS playlist (*.pls)");

QString chooseWithDialog(QWidget *parent, bool forExport)
{
  if (!forExport) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Import Bookmarks"), QString(),
                                        QStringLiteral("Playlists (*.m3u *.m3u8 *.pls);;All files (*)"));
  }
  QString filter = m3uFilter;
  QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Export Bookmarks"),
                                              QStringLiteral("Bookmarks.m3u"),
                                              m3uFilter + QStringLiteral(";;") + plsFilter, &filter);
  if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
    path += filter == plsFilter ? QStringLiteral(".pls") : QStringLiteral(".m3u");
  return path;
}

QPushButton *makeButton(const QString &name, const QString &text, const QString &accessible, QWidget *parent)
{
  auto *button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAccessibleName(accessible);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

BookmarksWindow::BookmarksWindow(const QString &path, Prompter &prompter, QWidget *parent)
    : QWidget(parent, Qt::Window),
      bookmarks_(new Bookmarks(path, prompter, this)),
      chooseFile_(chooseWithDialog)
{
  setObjectName(QStringLiteral("frmBookmarks"));
  setWindowTitle(QStringLiteral("Bookmarks"));
  setAttribute(Qt::WA_DeleteOnClose);

  lstB_ = new QListView(this);
  lstB_->setObjectName(QStringLiteral("lstB"));
  lstB_->setAccessibleName(QStringLiteral("Bookmarks"));
  lstB_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lstB_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lstB_->setUniformItemSizes(true);
  lstB_->setModel(&bookmarks_->list());
  new StationListSelection(&bookmarks_->list(), lstB_->selectionModel());
  lstB_->installEventFilter(this);

  cmdExport_ = makeButton(QStringLiteral("cmdExport"), QStringLiteral("&Export..."),
                          QStringLiteral("Export bookmarks as a playlist"), this);
  cmdImport_ = makeButton(QStringLiteral("cmdImport"), QStringLiteral("&Import..."),
                          QStringLiteral("Import bookmarks from a playlist"), this);
  cmdClose_ = makeButton(QStringLiteral("cmdClose"), QStringLiteral("&Close"), QStringLiteral("Close"), this);

  statbar_ = new QStatusBar(this);
  statbar_->setObjectName(QStringLiteral("statbar"));
  statbar_->setAccessibleName(QStringLiteral("Status bar"));
  statbar_->setSizeGripEnabled(true);
  // The panel's accessible name is the link it shows.
  panel_ = new QLabel(statbar_);
  panel_->setObjectName(QStringLiteral("statbarPanel1"));
  panel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  panel_->setMinimumWidth(1);
  statbar_->addWidget(panel_, 1);

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(cmdExport_);
  buttons->addWidget(cmdImport_);
  buttons->addStretch(1);
  buttons->addWidget(cmdClose_);
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(1, 1, 1, 0);
  column->setSpacing(6);
  column->addWidget(lstB_, 1);
  column->addLayout(buttons);
  column->addWidget(statbar_);
  buttons->setContentsMargins(6, 0, 12, 0);

  const double dpi = screenDpi(this);
  setMinimumSize(twips::toPixelsCovering(smallestSideTwips, dpi),
                 twips::toPixelsCovering(smallestSideTwips, dpi));
  resize(twips::toPixels(startWidthTwips, dpi), twips::toPixels(startHeightTwips, dpi));

  connect(lstB_, &QListView::doubleClicked, this, &BookmarksWindow::playCurrent);
  connect(&bookmarks_->list(), &StationList::currentIndexChanged, this, &BookmarksWindow::showCurrentLink);
  connect(bookmarks_, &Bookmarks::playRequested, this, &BookmarksWindow::playRequested);
  connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);
  connect(cmdExport_, &QPushButton::clicked, this, [this] {
    const QString path = chooseFile_(this, true);
    if (!path.isEmpty()) exportTo(path);
  });
  connect(cmdImport_, &QPushButton::clicked, this, [this] {
    const QString path = chooseFile_(this, false);
    if (!path.isEmpty()) importFrom(path);
  });

  bookmarks_->load();
}

BookmarksWindow::~BookmarksWindow()
{
  // Unloading with the main window, without a close of its own.
  unload();
}

bool BookmarksWindow::exportTo(const QString &path)
{
  return bookmarks_->exportPlaylist(path, playlistFormatForPath(path));
}

bool BookmarksWindow::importFrom(const QString &path)
{
  return bookmarks_->importPlaylist(path);
}

void BookmarksWindow::playCurrent()
{
  const StationList &list = bookmarks_->list();
  if (list.currentIndex() >= 0 && list.isSelected(list.currentIndex())) bookmarks_->play(list.currentIndex());
}

void BookmarksWindow::showCurrentLink()
{
  const StationList &list = bookmarks_->list();
  panel_->setText(list.secondText(list.currentIndex()));
}

void BookmarksWindow::unload()
{
  if (unloaded_) return;
  unloaded_ = true;
  bookmarks_->unload();
}

void BookmarksWindow::closeEvent(QCloseEvent *event)
{
  unload();
  event->accept();
}

void BookmarksWindow::keyPressEvent(QKeyEvent *event)
{
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool BookmarksWindow::eventFilter(QObject *watched, QEvent *event)
{
  if (watched == lstB_ && event->type() == QEvent::KeyPress) {
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Delete) {
      bookmarks_->removeSelected();
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      playCurrent();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tessivar
