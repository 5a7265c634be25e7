#include "app/ui/program_parts.h"

#include "app/ui/main_window.h"
#include "platform/http_transfer.h"
#include "platform/transfer_factory.h"
#include "search/directory_address.h"
#include "search/result_verification.h"
#include "search/search_run.h"

namespace tessivar {

ProgramParts::ProgramParts(const AppServices &services)
    : services_(services),
      options_(services.settings),
      transfer_(services.transfers.makeTransfer(nullptr)),
      player_(services.embeddedPlayer)
{
  transfer_->setObjectName(QStringLiteral("HTTP1"));
  player_.setObjectName(QStringLiteral("builtInPlayer"));
  related_.setColumnLayout(ResultLayout::Archive);
  window_ = std::make_unique<MainWindow>(services_, options_, results_, related_);
  verification_ = std::make_unique<LinkVerification>(window_->verifyView(), services_.transfers);
  searchRun_ =
      std::make_unique<SearchRun>(window_->searchView(), *transfer_, *verification_, services_.prompter);
  connectWindow();
}

// Reverse order: the run goes before the window it drives, the window before the models and the
// player it shows.
ProgramParts::~ProgramParts()
{
  searchRun_.reset();
  verification_.reset();
  window_.reset();
}

SearchWindow &ProgramParts::searchView()
{
  return window_->searchView();
}

void ProgramParts::connectWindow()
{
  MainWindow *window = window_.get();
  QObject::connect(window, &MainWindow::searchRequested, window, [this] { runSearch(searchInput()); });
  QObject::connect(window, &MainWindow::searchFromBoxRequested, window,
                   [this] { auto run = searchRun_->SearchFromBox(searchInput()); });
  // Also when the window closes: the stop cancels the transfer's request, a related one included.
  QObject::connect(window, &MainWindow::searchStopRequested, window, [this] { searchRun_->stopSearch(); });
  QObject::connect(window, &MainWindow::topTenRequested, window,
                   [this] { window_->openAddress(directory_address::topTen(dataServer_)); });
}

SearchInput ProgramParts::searchInput(SearchRequestKind kind, const QString &letter, int page) const
{
  SearchInput input;
  input.keywordText = window_->searchText();
  input.kind = kind;
  input.letter = letter;
  input.page = page;
  input.mode = window_->searchMode();
  input.formats = options_.formats;
  input.connectionSpeed = options_.connectionSpeed;
  input.minBitRate = options_.minBitRate;
  input.minLength = options_.minLength;
  input.dataServer = dataServer_;
  input.history = window_->searchHistory();
  return input;
}

void ProgramParts::runSearch(const SearchInput &input)
{
  auto run = searchRun_->RunSearch(input);
}

}  // namespace tessivar
