#pragma once

#include "base/search_choices.h"

#include <QString>
#include <QStringView>

#include <initializer_list>

namespace tessivar::directory_address {

// Every request address the client sends to the data server is built here, from the product's
// version and code. dataServer is a host, optionally host:port.

// "http://" server "/tessivar37.asp?V=" version "&P=" code: the start of a search, a list of all
// stations and a scanner's station request.
QString clientRequestStart(QStringView dataServer);

// The search: the start, the limits, "&T1=" and the keyword text (escaped, see escapeQueryText),
// then the format group.
QString keywordSearch(QStringView dataServer, QStringView limits, QStringView keywordText,
                      QStringView formats);
// List all: the start, the limits, "&T1=ALL&", then the format group.
QString listAll(QStringView dataServer, QStringView limits, QStringView formats);
// A browse page: "http://" server "/browse/ra_" letter "_" page ".asp".
QString browsePage(QStringView dataServer, QStringView letter, int page);
// The top ten page, opened in the web browser: "http://" server "/top10.asp?P=" code.
QString topTen(QStringView dataServer);
// Related results: "http://" server "/tessivar37.asp?RELATED=1&ID=" number "&V=" version "&", then
// the parameter of each ticked format box ("RA=1&" ... "MPEG=1&", in the order of a search),
// nothing removed at the end.
QString relatedResults(QStringView dataServer, qint64 itemNumber, const FormatBoxes &formats);

// The text as it goes into the address's query: "#", "^" and "`" percent-encoded; everything
// else as it is, since the server's search syntax ("+", "&", ",", "$", "-", "/") travels literally.
QString escapeQueryText(QStringView text);

// The pieces of an address joined into one text with a single allocation.
QString join(std::initializer_list<QStringView> pieces);

}  // namespace tessivar::directory_address
