#include "app/ui/result_tools_wiring.h"

#include "app/ui/browse_bar.h"
#include "app/ui/busy_pointer.h"
#include "app/ui/main_toolbar.h"
#include "app/ui/main_window.h"
#include "base/product.h"
#include "base/program_options.h"
#include "base/settings_store.h"
#include "base/site_links.h"
#include "platform/prompter.h"
#include "platform/shell_open.h"
#include "results/link_text.h"
#include "results/result_table_model.h"
#include "results/ui/find_dialog.h"
#include "results/ui/find_in_grid.h"
#include "results/ui/results_grid.h"
#include "search/related_results.h"
#include "search/related_results_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>

#include <qcoro/qcorotask.h>

namespace tessivar {

namespace {

// The main window as a related-results request locks and fills it.
class MainWindowRelated final : public QObject, public RelatedResultsWindow
{
 public:
  explicit MainWindowRelated(MainWindow &window) : QObject(&window), window_(window)
  {
    // The grid is hidden while its rows arrive; the window keeps its place.
    QSizePolicy policy = window.relatedGrid()->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    window.relatedGrid()->setSizePolicy(policy);
  }
  ~MainWindowRelated() override = default;
  MainWindowRelated(const MainWindowRelated &) = delete;
  MainWindowRelated &operator=(const MainWindowRelated &) = delete;

  void lockForRelated() override
  {
    resultsHadFocus_ = window_.resultsGrid()->hasFocus();
    window_.resultsGrid()->setEnabled(false);
    ResultsGrid *related = window_.relatedGrid();
    related->setRedraw(false);
    related->showBusyPointer(true);
    related->hide();
    window_.browseBar()->setEnabled(false);
    busyPointer_.set(true);
    window_.setSearchControlsLocked(true);
    window_.setSearchBoxEnabled(false);
  }
  void showRelatedGrid() override { window_.relatedGrid()->show(); }
  void selectAllRelatedRows() override
  {
    ResultsGrid *related = window_.relatedGrid();
    related->selectRows(1, related->dataRowCount());
  }
  void unlockAfterRelated() override
  {
    // A search that has begun meanwhile unlocks what it locked when it ends.
    if (!window_.searchRun().isSearching()) {
      window_.setSearchControlsLocked(false);
      window_.setSearchBoxEnabled(true);
      window_.browseBar()->setEnabled(true);
    }
    busyPointer_.set(false);
    ResultsGrid *related = window_.relatedGrid();
    related->showBusyPointer(false);
    related->setRedraw(true);
    related->show();
    window_.resultsGrid()->setEnabled(true);
    if (resultsHadFocus_) window_.resultsGrid()->setFocus();
  }
  void showRelatedCaption() override { window_.showRelatedCaption(); }
  void setRelatedCaption(const QString &text) override { window_.setRelatedCaption(text); }
  void setStatusText(int panel, const QString &text) override { window_.setStatusText(panel, text); }
  void setProgressValue(int value) override { window_.setProgressValue(value); }
  void setSearchBoxEnabled(bool enabled) override { window_.setSearchBoxEnabled(enabled); }
  bool isUnloading() const override { return window_.isUnloading(); }
  ResultTableModel *resultsModel() override { return window_.resultsModel(); }
  ResultTableModel *relatedModel() override { return window_.relatedModel(); }

 private:
  MainWindow &window_;
  BusyPointer busyPointer_;
  bool resultsHadFocus_ = false;
};

void wireRelatedResults(MainWindow &window)
{
  auto *adapter = new MainWindowRelated(window);
  auto *related = new RelatedResults(*adapter, window.searchRun(), window.services().prompter, adapter);
  related->setObjectName(QStringLiteral("RelatedResults"));
  QObject::connect(&window, &MainWindow::relatedResultsRequested, related, [&window, related](int row) {
    const RelatedRequestInput input{window.searchMode(), window.programOptions().formats,
                                    window.dataServer()};
    auto request = related->ShowRelatedResults(row, input);
  });
  QObject::connect(&window, &MainWindow::modeSwitched, related, &RelatedResults::forgetLastRequest);
}

void wireFind(MainWindow &window)
{
  auto *finder = new ResultsFinder(*window.resultsGrid(), window.services().prompter, &window);
  finder->setObjectName(QStringLiteral("ResultsFinder"));
  QObject::connect(&window, &MainWindow::findRequested, finder, [&window, finder] {
    auto *dialog = new FindDialog(*finder, window.services().settings, &window);
    window.registerSideWindow(dialog);
    dialog->show();
  });
  QObject::connect(&window, &MainWindow::findNextRequested, finder, &ResultsFinder::findNext);
}

// "&Copy" and "&Email Link to a Friend": the current row's link text on the clipboard, as plain
// text. False (after "No item selected.") when the row has no link.
bool putLinkOnClipboard(MainWindow &window, LinkTextKind kind)
{
  const ResultsGrid *grid = window.resultsGrid();
  const ResultTableModel *model = grid->resultModel();
  const int row = grid->currentRow();
  if (model == nullptr || grid->selectionEndRow() < 1 || !isLinkRow(*model, row)) {
    window.services().prompter.ask(PromptIcon::Critical, product::applicationName(), noItemSelectedText());
    return false;
  }
  const QString makerSite = siteAddress(window.services().settings.siteHost(), QStringLiteral("/"));
  QClipboard *clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(linkText(kind, grid->currentLayout(), *model, row, makerSite));
  return true;
}

void wireLinkCommands(MainWindow &window)
{
  QObject::connect(&window, &MainWindow::copyLinkRequested, &window,
                   [&window] { putLinkOnClipboard(window, LinkTextKind::Copy); });
  QObject::connect(&window, &MainWindow::emailLinkRequested, &window, [&window] {
    if (!putLinkOnClipboard(window, LinkTextKind::Email)) return;
    const AppServices &services = window.services();
    services.prompter.ask(PromptIcon::Information, product::applicationName(), emailNoticeText());
    shellOpen(services.shell, services.prompter, QStringLiteral("mailto:"));
  });
  QObject::connect(&window, &MainWindow::visitStreamWebsiteRequested, &window, [&window] {
    const ResultsGrid *grid = window.resultsGrid();
    const AppServices &services = window.services();
    const std::optional<QString> website =
        grid->resultModel() != nullptr
            ? rowWebsiteAddress(*grid->resultModel(), grid->currentLayout(), grid->currentRow())
            : std::nullopt;
    if (!website) {
      services.prompter.ask(PromptIcon::Critical, product::applicationName(), noWebsiteText());
      return;
    }
    shellOpen(services.shell, services.prompter, *website);
  });
}

}  // namespace

void wireResultTools(MainWindow &window)
{
  wireRelatedResults(window);
  wireFind(window);
  wireLinkCommands(window);
}

}  // namespace tessivar
