#include "app/ui/search_commands.h"

#include "app/ui/browse_bar.h"
#include "app/ui/main_menus.h"
#include "app/ui/main_window.h"
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
void setBrowseEnabled(MainWindow &window, bool on)
{
  window.browseBar()->setBrowseEnabled(on);
  window.menus().menuSearch->menuAction()->setEnabled(on);
  window.menus().menuSelect->menuAction()->setEnabled(on);
}

// One browse page of the current letter, with the browse controls off while it runs.
QCoro::Task<> browsePage(QPointer<MainWindow> window, int page)
{
  BrowseBar *bar = window->browseBar();
  setBrowseEnabled(*window, false);
  co_await window->searchRun().RunSearch(
      window->searchInput(SearchRequestKind::Browse, bar->pages().letter(), page));
  if (!window || window->isUnloading()) co_return;
  bar->pageRequestEnded(window->searchRun().lastRunSucceeded());
  setBrowseEnabled(*window, true);
}

void wireBrowse(MainWindow &window)
{
  BrowseBar *bar = window.browseBar();
  // The bar is locked while a search runs; a click that slips through starts nothing.
  const auto idle = [&window] { return !window.searchRun().isSearching(); };
  QObject::connect(bar, &BrowseBar::letterClicked, &window, [&window, bar, idle](int index) {
    if (!idle()) return;
    const int page = bar->pages().openLetter(BrowseBar::labelCaption(index));
    window.setStatusText(1, QStringLiteral("Reading data..."));
    auto task = browsePage(&window, page);
  });
  QObject::connect(bar, &BrowseBar::pageButtonClicked, &window, [&window, bar, idle](int index) {
    if (!idle()) return;
    auto task = browsePage(&window, bar->pages().step(index == 1 ? 1 : -1));
  });
  QObject::connect(bar, &BrowseBar::goClicked, &window, [&window, bar, idle] {
    if (!idle()) return;
    setBrowseEnabled(window, false);
    const std::optional<int> page = bar->pages().go(bar->pageBox()->text());
    if (!page) {
      window.services().prompter.ask(PromptIcon::Critical, product::applicationTitle(), invalidPageMessage());
      setBrowseEnabled(window, true);
      return;
    }
    auto task = browsePage(&window, *page);
  });
}

void wireGenres(MainWindow &window)
{
  QObject::connect(&window, &MainWindow::genreSearchRequested, &window, [&window](const QString &menuName) {
    // One search at a time: the box must not change under a running one.
    if (window.searchRun().isSearching()) return;
    if (menuName == QStringLiteral("menuAll")) {
      window.setSearchText(QStringLiteral("ALL"));
      window.runSearch(window.searchInput(SearchRequestKind::ListAll));
      return;
    }
    const std::optional<GenreSearch> genre = genreSearch(menuName);
    if (!genre) return;
    window.setSearchText(genre->text);
    SearchInput input = window.searchInput(SearchRequestKind::Keyword);
    input.genreFormatCode = genre->formatCode;
    window.runSearch(input);
  });
}

}  // namespace

void wireSearchCommands(MainWindow &window)
{
  wireBrowse(window);
  wireGenres(window);
}

}  // namespace tessivar
