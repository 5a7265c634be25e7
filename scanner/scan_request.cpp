#include "scanner/scan_request.h"

#include "base/product.h"
#include "scanner/scan_styles.h"
#include "search/search_query.h"

#include <QUrl>

namespace tessivar {

QString scanAddress(const ScanRequest &request)
{
  QString address = QStringLiteral("http://") + request.dataServer + QStringLiteral("/tessivar37.asp?V=") +
                    product::version() + QStringLiteral("&P=") + product::productCode();
  address += escapeQueryText(styleParameter(request.style));
  address += QStringLiteral("&GS=1&UNK=") + (request.includeUnknown ? QLatin1Char('1') : QLatin1Char('0'));
  address += QStringLiteral("&LS=") + QString::fromLatin1(QUrl::toPercentEncoding(request.position));
  address += speedParameter(request.connectionSpeed);
  address.replace(QLatin1Char(' '), QLatin1Char('+'));
  return address;
}

}  // namespace tessivar
