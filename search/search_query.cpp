#include "search/search_query.h"

#include "base/connection_speed.h"
#include "search/directory_address.h"
#include "search/search_history.h"

#include <initializer_list>

namespace tessivar {

const std::array<FormatFlag, 13> &formatFlags()
{
  static const std::array<FormatFlag, 13> flags{{
      {"chkRA", "RA=1&", &FormatBoxes::chkRA},
      {"chkMA", "MA=1&", &FormatBoxes::chkMA},
      {"chkRV", "RV=1&", &FormatBoxes::chkRV},
      {"chkNA", "NA=1&", &FormatBoxes::chkNA},
      {"chkNV", "NV=1&", &FormatBoxes::chkNV},
      {"chkNF", "NAF=1&", &FormatBoxes::chkNF},
      {"chkAV", "AV=1&", &FormatBoxes::chkAV},
      {"chkAVF", "MPEGF=1&", &FormatBoxes::chkAVF},
      {"chkWA", "WA=1&", &FormatBoxes::chkWA},
      {"chkXDM", "SW=1&", &FormatBoxes::chkXDM},
      {"chkWAVF", "WAVF=1&", &FormatBoxes::chkWAVF},
      {"chkMAF", "MP3F=1&", &FormatBoxes::chkMAF},
      {"chkMPEG", "MPEG=1&", &FormatBoxes::chkMPEG},
  }};
  return flags;
}

QString emptyKeywordsMessage()
{
  return QStringLiteral("Please enter keyword(s) for search.");
}

QString prepareKeywordText(const QString &text)
{
  QString prepared = text;
  prepared.replace(u' ', u'+');
  return prepared;
}

QString speedParameter(QStringView connectionSpeed)
{
  return directory_address::join({u"&SPD=", QString::number(speedLimit(connectionSpeed).value_or(0))});
}

QString formatGroup(const FormatBoxes &boxes, SearchMode mode, int genreFormatCode,
                    QStringView connectionSpeed)
{
  QString group = QStringLiteral("&F=1&");
  for (const FormatFlag &flag : formatFlags()) {
    if (boxes.*flag.box == 1) group += QLatin1StringView(flag.parameter);
  }
  group.chop(1);
  if (mode != SearchMode::Archive) group += QStringView(u"&LIVE=1");
  if (genreFormatCode != -1) group += directory_address::join({u"&FMT=", QString::number(genreFormatCode)});
  group += speedParameter(connectionSpeed);
  return group;
}

QString limitsGroup(int minBitRate, int minLength)
{
  QString group;
  if (minBitRate != 0) group += directory_address::join({u"&MBPS=", QString::number(minBitRate)});
  // Seconds in 64 bits: a huge number of minutes must not wrap around.
  if (minLength != 0) group += directory_address::join({u"&MT=", QString::number(qint64{minLength} * 60)});
  return group;
}

SearchQuery buildSearchQuery(const SearchInput &input, const SearchHistory &history)
{
  SearchQuery query;
  if (input.keywordText.isEmpty() && input.kind != SearchRequestKind::Browse) {
    query.outcome = SearchOutcome::EmptyKeywords;
    return query;
  }
  query.outcome = SearchOutcome::Ready;

  const QString formats =
      formatGroup(input.formats, input.mode, input.genreFormatCode, input.connectionSpeed);
  query.preparedKeywordText = prepareKeywordText(input.keywordText);
  // Compared before the blanks turn into "+", so leading and trailing blanks do not count.
  if (history.accepts(input.keywordText, input.genreFormatCode))
    query.historyEntry = SearchHistory::entryForm(input.keywordText);

  switch (input.kind) {
    case SearchRequestKind::Browse:
      query.address = directory_address::browsePage(input.dataServer, input.letter, input.page);
      break;
    case SearchRequestKind::ListAll:
      query.address = directory_address::listAll(input.dataServer,
                                                 limitsGroup(input.minBitRate, input.minLength), formats);
      break;
    case SearchRequestKind::Keyword:
      query.address =
          directory_address::keywordSearch(input.dataServer, limitsGroup(input.minBitRate, input.minLength),
                                           query.preparedKeywordText, formats);
      break;
  }
  return query;
}

}  // namespace tessivar
