#include "search/directory_address.h"

#include "base/product.h"
#include "search/search_query.h"

#include <initializer_list>

namespace tessivar::directory_address {

// Joins the pieces into one text with a single allocation.
QString join(std::initializer_list<QStringView> pieces)
{
  qsizetype size = 0;
  for (QStringView piece : pieces) size += piece.size();
  QString text;
  text.reserve(size);
  for (QStringView piece : pieces) text.append(piece);
  return text;
}

QString clientRequestStart(QStringView dataServer)
{
  return join({u"http://", dataServer, product::directoryPage(), u"?V=", product::version(), u"&P=",
               product::productCode()});
}

QString escapeQueryText(QStringView text)
{
  // A "#" would start a fragment, which never leaves the program, and cut off the rest of the
  // address; "^" and "`" (marks of the server's search syntax) are not allowed in an address.
  // They go out percent-encoded, and the server reads them back as they were.
  QString escaped;
  escaped.reserve(text.size());
  for (const QChar c : text) {
    if (c == u'#')
      escaped += QStringView(u"%23");
    else if (c == u'^')
      escaped += QStringView(u"%5E");
    else if (c == u'`')
      escaped += QStringView(u"%60");
    else
      escaped += c;
  }
  return escaped;
}

QString keywordSearch(QStringView dataServer, QStringView limits, QStringView keywordText,
                      QStringView formats)
{
  return join({clientRequestStart(dataServer), limits, u"&T1=", escapeQueryText(keywordText), formats});
}

QString listAll(QStringView dataServer, QStringView limits, QStringView formats)
{
  return join({clientRequestStart(dataServer), limits, u"&T1=ALL&", formats});
}

QString topTen(QStringView dataServer)
{
  return join({u"http://", dataServer, u"/top10.asp?P=", product::productCode()});
}

QString browsePage(QStringView dataServer, QStringView letter, int page)
{
  return join({u"http://", dataServer, u"/browse/ra_", letter, u"_", QString::number(page), u".asp"});
}

QString relatedResults(QStringView dataServer, qint64 itemNumber, const FormatBoxes &formats)
{
  QString address = join({u"http://", dataServer, product::directoryPage(), u"?RELATED=1&ID=",
                          QString::number(itemNumber), u"&V=", product::version(), u"&"});
  for (const FormatFlag &flag : formatFlags()) {
    if (formats.*flag.box == 1) address += QLatin1StringView(flag.parameter);
  }
  return address;
}

}  // namespace tessivar::directory_address
