#include "app/ui/result_tools_wiring.h"

#include "app/ui/browse_bar.h"
#include "app/ui/busy_pointer.h"
#include "app/ui/main_toolbar.h"
#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
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
  explicit MainWindowRelated(ProgramParts &parts)
      : QObject(&parts.window()), parts_(parts), window_(parts.window()), view_(parts.searchView())
  {
    MainWindow &window = window_;
    // The grid is hidden while its rows arrive; the window keeps its place.
    QSizePolicy policy = window.controls().related->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    window.controls().related->setSizePolicy(policy);
  }
  ~MainWindowRelated() override = default;
  MainWindowRelated(const MainWindowRelated &) = delete;
  MainWindowRelated &operator=(const MainWindowRelated &) = delete;

  void lockForRelated() override
  {
    resultsHadFocus_ = window_.controls().results->hasFocus();
    window_.controls().results->setEnabled(false);
    ResultsGrid *related = window_.controls().related;
    related->setRedraw(false);
    related->showBusyPointer(true);
    related->hide();
    window_.controls().browseBar->setEnabled(false);
    busyPointer_.set(true);
    window_.setSearchControlsLocked(true);
    view_.setSearchBoxEnabled(false);
  }
  void showRelatedGrid() override { window_.controls().related->show(); }
  void selectAllRelatedRows() override
  {
    ResultsGrid *related = window_.controls().related;
    related->selectRows(1, related->dataRowCount());
  }
  void unlockAfterRelated() override
  {
    // A search that has begun meanwhile unlocks what it locked when it ends.
    if (!parts_.searchRun().isSearching()) {
      window_.setSearchControlsLocked(false);
      view_.setSearchBoxEnabled(true);
      window_.controls().browseBar->setEnabled(true);
    }
    busyPointer_.set(false);
    ResultsGrid *related = window_.controls().related;
    related->showBusyPointer(false);
    related->setRedraw(true);
    related->show();
    window_.controls().results->setEnabled(true);
    if (resultsHadFocus_) window_.controls().results->setFocus();
  }
  void showRelatedCaption() override { window_.showRelatedCaption(); }
  void setRelatedCaption(const QString &text) override { window_.setRelatedCaption(text); }
  void setStatusText(int panel, const QString &text) override { view_.setStatusText(panel, text); }
  void setProgressValue(int value) override { view_.setProgressValue(value); }
  void setSearchBoxEnabled(bool enabled) override { view_.setSearchBoxEnabled(enabled); }
  bool isUnloading() const override { return view_.isUnloading(); }
  ResultTableModel *resultsModel() override { return &parts_.resultsModel(); }
  ResultTableModel *relatedModel() override { return &parts_.relatedModel(); }

 private:
  ProgramParts &parts_;
  MainWindow &window_;
  SearchWindow &view_;
  BusyPointer busyPointer_;
  bool resultsHadFocus_ = false;
};

void wireRelatedResults(ProgramParts &parts)
{
  MainWindow &window = parts.window();
  auto *adapter = new MainWindowRelated(parts);
  auto *related = new RelatedResults(*adapter, parts.searchRun(), parts.services().prompter, adapter);
  related->setObjectName(QStringLiteral("RelatedResults"));
  QObject::connect(
      &window, &MainWindow::relatedResultsRequested, related, [&window, &parts, related](int row) {
        const RelatedRequestInput input{window.searchMode(), parts.options().formats, parts.dataServer()};
        auto request = related->ShowRelatedResults(row, input);
      });
  QObject::connect(&window, &MainWindow::modeSwitched, related, &RelatedResults::forgetLastRequest);
}

void wireFind(ProgramParts &parts)
{
  MainWindow &window = parts.window();
  auto *finder = new ResultsFinder(*window.controls().results, parts.services().prompter, &window);
  finder->setObjectName(QStringLiteral("ResultsFinder"));
  QObject::connect(&window, &MainWindow::findRequested, finder, [&window, &parts, finder] {
    auto *dialog = new FindDialog(*finder, parts.services().settings, &window);
    window.registerSideWindow(dialog);
    dialog->show();
  });
  QObject::connect(&window, &MainWindow::findNextRequested, finder, &ResultsFinder::findNext);
}

// "&Copy" and "&Email Link to a Friend": the current row's link text on the clipboard, as plain
// text. False (after "No item selected.") when the row has no link.
bool putLinkOnClipboard(ProgramParts &parts, LinkTextKind kind)
{
  MainWindow &window = parts.window();
  const ResultsGrid *grid = window.controls().results;
  const ResultTableModel *model = grid->resultModel();
  const int row = grid->currentRow();
  if (model == nullptr || grid->selectionEndRow() < 1 || !isLinkRow(*model, row)) {
    parts.services().prompter.ask(PromptIcon::Critical, product::applicationName(), noItemSelectedText());
    return false;
  }
  const QString makerSite = siteAddress(parts.services().settings.siteHost(), QStringLiteral("/"));
  QClipboard *clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(linkText(kind, grid->currentLayout(), *model, row, makerSite));
  return true;
}

void wireLinkCommands(ProgramParts &parts)
{
  MainWindow &window = parts.window();
  QObject::connect(&window, &MainWindow::copyLinkRequested, &window,
                   [&parts] { putLinkOnClipboard(parts, LinkTextKind::Copy); });
  QObject::connect(&window, &MainWindow::emailLinkRequested, &window, [&parts] {
    if (!putLinkOnClipboard(parts, LinkTextKind::Email)) return;
    const AppServices &services = parts.services();
    services.prompter.ask(PromptIcon::Information, product::applicationName(), emailNoticeText());
    shellOpen(services.shell, services.prompter, QStringLiteral("mailto:"));
  });
  QObject::connect(&window, &MainWindow::visitStreamWebsiteRequested, &window, [&window, &parts] {
    const ResultsGrid *grid = window.controls().results;
    const AppServices &services = parts.services();
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

void wireResultTools(ProgramParts &parts)
{
  wireRelatedResults(parts);
  wireFind(parts);
  wireLinkCommands(parts);
}

}  // namespace tessivar
