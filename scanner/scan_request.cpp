#include "scanner/scan_request.h"

#include "scanner/scan_styles.h"
#include "search/directory_address.h"
#include "search/search_query.h"

#include <QUrl>

namespace tessivar {

QString scanAddress(const ScanRequest &request)
{
  QString address = directory_address::clientRequestStart(request.dataServer);
  address += directory_address::escapeQueryText(styleParameter(request.style));
  address += QStringLiteral("&GS=1&UNK=") + (request.includeUnknown ? QLatin1Char('1') : QLatin1Char('0'));
  address += QStringLiteral("&LS=") + QString::fromLatin1(QUrl::toPercentEncoding(request.position));
  address += speedParameter(request.connectionSpeed);
  address.replace(QLatin1Char(' '), QLatin1Char('+'));
  return address;
}

}  // namespace tessivar
