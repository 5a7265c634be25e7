#include "app/ui/search_commands.h"

#include "app/ui/browse_bar.h"
#include "app/ui/main_menus.h"
#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "base/product.h"
#include "platform/prompter.h"
#include "search/genre_table.h"
#include "search/search_run.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>

namespace tessivar {

namespace {

// BrowseEnabled: the bar's controls, and the "&Search" and "&Select Format" menus.
void setBrowseEnabled(const MainWindow &window, bool on)
{
  window.controls().browseBar->setBrowseEnabled(on);
  window.controls().menus.menuSearch->menuAction()->setEnabled(on);
  window.controls().menus.menuSelect->menuAction()->setEnabled(on);
}

// One browse page of the current letter, with the browse controls off while it runs.
QCoro::Task<> browsePage(ProgramParts &parts, int page)
{
  // The parts go with their window: once it has gone, nothing of them may be touched.
  QPointer<MainWindow> window(&parts.window());
  BrowseBar *bar = window->controls().browseBar;
  setBrowseEnabled(*window, false);
  co_await parts.searchRun().RunSearch(
      parts.searchInput(SearchRequestKind::Browse, bar->pages().letter(), page));
  if (!window || parts.searchView().isUnloading()) co_return;
  bar->pageRequestEnded(parts.searchRun().lastRunSucceeded());
  setBrowseEnabled(*window, true);
}

void wireBrowse(ProgramParts &parts)
{
  MainWindow &window = parts.window();
  BrowseBar *bar = window.controls().browseBar;
  // The bar is locked while a search runs; a click that slips through starts nothing.
  const auto idle = [&parts] { return !parts.searchRun().isSearching(); };
  QObject::connect(bar, &BrowseBar::letterClicked, &window, [&parts, bar, idle](int index) {
    if (!idle()) return;
    const int page = bar->pages().openLetter(BrowseBar::labelCaption(index));
    parts.searchView().setStatusText(1, QStringLiteral("Reading data..."));
    auto task = browsePage(parts, page);
  });
  QObject::connect(bar, &BrowseBar::pageButtonClicked, &window, [&parts, bar, idle](int index) {
    if (!idle()) return;
    auto task = browsePage(parts, bar->pages().step(index == 1 ? 1 : -1));
  });
  QObject::connect(bar, &BrowseBar::goClicked, &window, [&window, &parts, bar, idle] {
    if (!idle()) return;
    setBrowseEnabled(window, false);
    const std::optional<int> page = bar->pages().go(bar->pageBox()->text());
    if (!page) {
      parts.services().prompter.ask(PromptIcon::Critical, product::applicationTitle(), invalidPageMessage());
      setBrowseEnabled(window, true);
      return;
    }
    auto task = browsePage(parts, *page);
  });
}

void wireGenres(ProgramParts &parts)
{
  MainWindow &window = parts.window();
  QObject::connect(&window, &MainWindow::genreSearchRequested, &window, [&parts](const QString &menuName) {
    // One search at a time: the box must not change under a running one.
    if (parts.searchRun().isSearching()) return;
    if (menuName == QStringLiteral("menuAll")) {
      parts.searchView().setSearchText(QStringLiteral("ALL"));
      parts.runSearch(parts.searchInput(SearchRequestKind::ListAll));
      return;
    }
    const std::optional<GenreSearch> genre = genreSearch(menuName);
    if (!genre) return;
    parts.searchView().setSearchText(genre->text);
    SearchInput input = parts.searchInput(SearchRequestKind::Keyword);
    input.genreFormatCode = genre->formatCode;
    parts.runSearch(input);
  });
}

}  // namespace

void wireSearchCommands(ProgramParts &parts)
{
  wireBrowse(parts);
  wireGenres(parts);
}

}  // namespace tessivar
