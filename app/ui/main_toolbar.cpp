#include "app/ui/main_toolbar.h"

#include "platform/ui/artwork.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace tessivar {

namespace {

// "Setup", "Play", "Record", "Website" and "Scan": locked while a search runs.
constexpr int searchLockedItems[] = {1, 5, 7, 9, 11};

}  // namespace

MainToolbar::MainToolbar(QWidget *parent) : QToolBar(parent)
{
  using artwork::Picture;
  setObjectName(QStringLiteral("Toolbar1"));
  setWindowTitle(QStringLiteral("Toolbar"));
  setMovable(false);
  setFloatable(false);
  setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  setIconSize(QSize(24, 24));

  addButton(QStringLiteral("toolSetup"), QStringLiteral("Setup"), QStringLiteral("Setup Options"),
            artwork::icon(Picture::Setup));
  searchButton_ = addButton(QStringLiteral("toolSearch"), QStringLiteral("Search"),
                            QStringLiteral("Start Search"), artwork::icon(Picture::Search));
  addButton(QStringLiteral("toolPlay"), QStringLiteral("Play"), QStringLiteral("Play Stream"),
            artwork::icon(Picture::Play));
  addButton(QStringLiteral("toolRecord"), QStringLiteral("Record"), QString(),
            artwork::icon(Picture::Record));
  addButton(QStringLiteral("toolWebsite"), QStringLiteral("Website"), QStringLiteral("Visit Stream Website"),
            artwork::icon(Picture::Website));
  addButton(QStringLiteral("toolScan"), QStringLiteral("Scan"), QStringLiteral("Scan Stations"),
            artwork::icon(Picture::Scan));
  QToolButton *bookmarks = addButton(QStringLiteral("toolBookmarks"), QStringLiteral("Bookmarks"),
                                     QStringLiteral("Modify Bookmarks"), artwork::icon(Picture::Bookmarks));
  addButton(QStringLiteral("toolEmail"), QStringLiteral("Email Link"),
            QStringLiteral("Email Link to a Friend"), artwork::icon(Picture::Email));

  bookmarksMenu_ = new QMenu(bookmarks);
  bookmarksMenu_->setObjectName(QStringLiteral("toolBookmarksMenu"));
  addBookmarkEntry_ = bookmarksMenu_->addAction(QStringLiteral("Add Selected Item to Bookmarks"));
  addBookmarkEntry_->setObjectName(QStringLiteral("toolAddBookmark"));
  showBookmarksEntry_ = bookmarksMenu_->addAction(QStringLiteral("Show Bookmarks"));
  showBookmarksEntry_->setObjectName(QStringLiteral("toolShowBookmarks"));
  bookmarks->setMenu(bookmarksMenu_);
  bookmarks->setPopupMode(QToolButton::MenuButtonPopup);
  connect(addBookmarkEntry_, &QAction::triggered, this, &MainToolbar::addBookmarkChosen);
  connect(showBookmarksEntry_, &QAction::triggered, this, &MainToolbar::showBookmarksChosen);
}

MainToolbar::~MainToolbar() = default;

QToolButton *MainToolbar::addButton(const QString &name, const QString &caption, const QString &toolTip,
                                    const QIcon &icon)
{
  if (!buttons_.isEmpty()) addSeparator()->setObjectName(name + QStringLiteral("Separator"));
  auto *button = new QToolButton(this);
  button->setObjectName(name);
  button->setText(caption);
  button->setToolTip(toolTip);
  button->setIcon(icon);
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(true);
  button->setMinimumWidth(64);
  button->setAccessibleName(caption);
  addWidget(button);
  buttons_ << button;
  connect(button, &QToolButton::clicked, this, [this, button] { dispatch(button); });
  return button;
}

QToolButton *MainToolbar::item(int itemNumber) const
{
  if (itemNumber < 1 || itemNumber % 2 == 0) return nullptr;
  const int index = (itemNumber - 1) / 2;
  return index < buttons_.size() ? buttons_.at(index) : nullptr;
}

QToolButton *MainToolbar::button(const QString &caption) const
{
  for (QToolButton *candidate : buttons_) {
    if (candidate->text() == caption) return candidate;
  }
  return nullptr;
}

void MainToolbar::dispatch(QToolButton *button)
{
  if (guard_ && guard_()) return;
  emit buttonClicked(button->text());
}

void MainToolbar::showSearchRunning(bool running)
{
  using artwork::Picture;
  searchButton_->setToolTip(running ? QStringLiteral("Stop Search") : QStringLiteral("Start Search"));
  searchButton_->setText(running ? QStringLiteral("Stop") : QStringLiteral("Search"));
  searchButton_->setAccessibleName(searchButton_->text());
  searchButton_->setIcon(artwork::icon(running ? Picture::Stop : Picture::Search));
}

void MainToolbar::setSearchLockedButtonsEnabled(bool enabled)
{
  for (const int itemNumber : searchLockedItems) {
    if (QToolButton *locked = item(itemNumber)) locked->setEnabled(enabled);
  }
}

}  // namespace tessivar
