#pragma once

#include "base/search_choices.h"
#include "results/pre_verify_prober.h"
#include "search/search_history.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace tessivar {

// The three kinds of request RunSearch builds.
enum class SearchRequestKind { Keyword, ListAll, Browse };

// One format box: its setting key, the parameter it adds to the address, and its member.
struct FormatFlag
{
  const char *key;
  const char *parameter;  // ends in '&'
  int FormatBoxes::*box;
};

// The 13 boxes in the order their parameters are appended.
const std::array<FormatFlag, 13> &formatFlags();

// The window's state that a search address is built from: everything a search run needs.
struct SearchInput
{
  QString keywordText;  // the search box's text as it stands
  SearchRequestKind kind = SearchRequestKind::Keyword;
  QString letter;  // browse pages only
  int page = 0;    // browse pages only
  int genreFormatCode = -1;
  SearchMode mode = SearchMode::Live;
  FormatBoxes formats;
  QString connectionSpeed;
  int minBitRate = 0;         // kbps, 0 = off; from a text box use wholeNumberValue()
  int minLength = 0;          // minutes, 0 = off
  QString dataServer;         // host, optionally host:port
  SearchHistory history;      // the search box's drop-down list
  ProbeOptions verification;  // how an archive or browse page's links are pre-verified
};

enum class SearchOutcome {
  Ready,          // address holds the request
  EmptyKeywords,  // refused: show emptyKeywordsMessage() and touch nothing else
};

struct SearchQuery
{
  SearchOutcome outcome = SearchOutcome::EmptyKeywords;
  QString address;              // the whole GET address, "http://" included
  QString preparedKeywordText;  // to write back into the search box
  // The entry to append to the search box's list, when set (see SearchHistory::record).
  std::optional<QString> historyEntry;
};

// The refusal's text (error icon, application title).
QString emptyKeywordsMessage();

// RunSearch's address, the prepared box text and the history decision for the window's state.
SearchQuery buildSearchQuery(const SearchInput &input, const SearchHistory &history);

// Blanks to "+"; nothing else is escaped.
QString prepareKeywordText(const QString &text);

// "&F=1&..." with the ticked boxes, then LIVE (unless archive mode), FMT (unless -1), SPD.
QString formatGroup(const FormatBoxes &boxes, SearchMode mode, int genreFormatCode,
                    QStringView connectionSpeed);

// "&MBPS=..." and "&MT=..." (seconds) for the non-zero limits; possibly empty.
QString limitsGroup(int minBitRate, int minLength);

// "&SPD=" followed by the speed limit, 0 when the name has none.
QString speedParameter(QStringView connectionSpeed);

}  // namespace tessivar
