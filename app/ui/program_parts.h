#pragma once

#include "base/program_options.h"
#include "platform/app_services.h"
#include "results/built_in_player.h"
#include "results/result_table_model.h"
#include "search/search_query.h"

#include <QPixmap>
#include <QString>

#include <memory>

namespace tessivar {

class HttpTransfer;
class MainWindow;
class ResultVerification;
class SearchRun;
class SearchWindow;

// The client's working parts, built in this order and torn down in the reverse one: the setup
// choices in force, the window's HTTP transfer (HTTP1), the two result models, the built-in
// player (on the engine the scanner shares), the main window that shows them, the
// pre-verification of a page's rows and the search run. The window only
// shows and forwards what the user asks for; the requests that concern these parts are served
// here. The application owns one over the real services; a test builds one over fakes.
class ProgramParts final
{
 public:
  explicit ProgramParts(const AppServices &services);
  ~ProgramParts();
  ProgramParts(const ProgramParts &) = delete;
  ProgramParts &operator=(const ProgramParts &) = delete;

  const AppServices &services() const { return services_; }
  ProgramOptions &options() { return options_; }
  HttpTransfer &transfer() { return *transfer_; }
  ResultTableModel &resultsModel() { return results_; }
  ResultTableModel &relatedModel() { return related_; }
  BuiltInPlayer &player() { return player_; }
  MainWindow &window() { return *window_; }
  // What a search, and the features that show progress the same way, do to the window.
  SearchWindow &searchView();
  SearchRun &searchRun() { return *searchRun_; }

  // The data server found at start-up: a host, optionally host:port.
  const QString &dataServer() const { return dataServer_; }
  void setDataServer(const QString &host) { dataServer_ = host; }
  // The splash window's picture, kept for the About window.
  const QPixmap &splashPicture() const { return splashPicture_; }
  void keepSplashPicture(const QPixmap &picture) { splashPicture_ = picture; }

  // Everything a search of the given kind is built from: the window's box, mode and box list, the
  // setup choices in force and the data server. No genre (format code -1).
  SearchInput searchInput(SearchRequestKind kind = SearchRequestKind::Keyword, const QString &letter = {},
                          int page = 0) const;
  // Runs a search built from searchInput() (the genre shortcuts set input.genreFormatCode).
  void runSearch(const SearchInput &input);

 private:
  void connectWindow();

  AppServices services_;
  ProgramOptions options_;
  std::unique_ptr<HttpTransfer> transfer_;
  ResultTableModel results_;
  ResultTableModel related_;
  BuiltInPlayer player_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<ResultVerification> verification_;
  std::unique_ptr<SearchRun> searchRun_;
  QString dataServer_;
  QPixmap splashPicture_;
};

}  // namespace tessivar
