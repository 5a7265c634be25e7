#include "library/ui/songs_window.h"

#include "base/product.h"
#include "library/song_log.h"
#include "library/song_log_model.h"
#include "platform/prompter.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace tessivar {

namespace {

QString chooseWithDialog(QWidget *parent)
{
  QString path =
      QFileDialog::getSaveFileName(parent, QStringLiteral("Export Songs Heard"),
                                   QStringLiteral("Songs Heard.csv"), QStringLiteral("CSV file (*.csv)"));
  if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
  return path;
}

QPushButton *makeButton(const QString &text, const QString &accessible, QWidget *parent)
{
  auto *button = new QPushButton(text, parent);
  button->setAccessibleName(accessible);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

SongsWindow::SongsWindow(SongLog &log, Prompter &prompter, QWidget *parent)
    : QWidget(parent, Qt::Window),
      log_(log),
      prompter_(prompter),
      model_(new SongLogModel(log, this)),
      shown_(new QSortFilterProxyModel(this)),
      chooseFile_(chooseWithDialog)
{
  setObjectName(QStringLiteral("frmSongs"));
  setWindowTitle(QStringLiteral("Songs Heard"));
  setAttribute(Qt::WA_DeleteOnClose);

  shown_->setSourceModel(model_);
  shown_->setFilterKeyColumn(-1);
  shown_->setFilterCaseSensitivity(Qt::CaseInsensitive);

  auto *filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
  filter_ = new QLineEdit(this);
  filter_->setAccessibleName(QStringLiteral("Filter"));
  filter_->setClearButtonEnabled(true);
  filterLabel->setBuddy(filter_);

  grid_ = new QTableView(this);
  grid_->setAccessibleName(QStringLiteral("Songs heard"));
  grid_->setModel(shown_);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setColumnWidth(SongLogModel::Time, 130);
  grid_->setColumnWidth(SongLogModel::Station, 170);
  grid_->setColumnWidth(SongLogModel::Title, 260);

  auto *copy = makeButton(QStringLiteral("&Copy"), QStringLiteral("Copy the selected songs"), this);
  auto *exportButton =
      makeButton(QStringLiteral("&Export..."), QStringLiteral("Export the songs as CSV"), this);
  auto *clear = makeButton(QStringLiteral("C&lear..."), QStringLiteral("Clear the songs heard"), this);
  auto *close = makeButton(QStringLiteral("Cl&ose"), QStringLiteral("Close"), this);

  auto *top = new QHBoxLayout;
  top->addWidget(filterLabel);
  top->addWidget(filter_, 1);
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(copy);
  buttons->addWidget(exportButton);
  buttons->addWidget(clear);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto *column = new QVBoxLayout(this);
  column->addLayout(top);
  column->addWidget(grid_, 1);
  column->addLayout(buttons);
  resize(760, 440);

  connect(filter_, &QLineEdit::textChanged, this, &SongsWindow::setFilter);
  connect(copy, &QPushButton::clicked, this, &SongsWindow::copySelection);
  connect(new QShortcut(QKeySequence::Copy, grid_), &QShortcut::activated, this, &SongsWindow::copySelection);
  connect(exportButton, &QPushButton::clicked, this, [this] {
    const QString path = chooseFile_(this);
    if (!path.isEmpty()) exportTo(path);
  });
  connect(clear, &QPushButton::clicked, this, &SongsWindow::clearAfterAsking);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
}

void SongsWindow::setFilter(const QString &text)
{
  if (filter_->text() != text) filter_->setText(text);
  shown_->setFilterFixedString(text);
}

bool SongsWindow::copySelection()
{
  QModelIndexList rows = grid_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return false;
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
  QModelIndexList source;
  for (const QModelIndex &row : std::as_const(rows)) source << shown_->mapToSource(row);
  QApplication::clipboard()->setText(model_->linesOf(source));
  return true;
}

bool SongsWindow::exportTo(const QString &path)
{
  QList<HeardSong> songs;
  for (int row = 0; row < shown_->rowCount(); ++row) {
    const int newestFirst = shown_->mapToSource(shown_->index(row, 0)).row();
    songs << log_.songs().at(log_.songs().size() - 1 - newestFirst);
  }
  QString error;
  if (exportSongsCsv(songs, path, &error)) return true;
  prompter_.ask(PromptIcon::Critical, product::applicationTitle(),
                QStringLiteral("The songs could not be exported to %1.\n\n%2").arg(path, error));
  return false;
}

void SongsWindow::clearAfterAsking()
{
  if (log_.songs().isEmpty()) return;
  if (prompter_.ask(
          PromptIcon::Question, product::applicationTitle(),
          QStringLiteral("Clear the %1 songs heard? This cannot be undone.").arg(log_.songs().size()),
          PromptButtons::YesNo) != PromptAnswer::Yes)
    return;
  if (!log_.clear())
    prompter_.ask(PromptIcon::Critical, product::applicationTitle(),
                  QStringLiteral("The songs heard could not be cleared.\n\n%1").arg(log_.lastError()));
}

}  // namespace tessivar
