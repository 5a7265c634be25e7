#include "dialogs/web_address.h"

namespace tessivar {

namespace {

bool isWebScheme(const QUrl &url)
{
  const QString scheme = url.scheme().toLower();
  return scheme == QStringLiteral("http") || scheme == QStringLiteral("https");
}

}  // namespace

QUrl webAddress(const QString &text)
{
  QString trimmed = text.trimmed();
  if (trimmed.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
    trimmed.prepend(QStringLiteral("http://"));
  const QUrl url(trimmed, QUrl::StrictMode);
  if (!url.isValid() || !isWebScheme(url) || url.host().isEmpty()) return {};
  return url;
}

bool pageMayNavigate(const QUrl &address, bool mainFrame)
{
  if (isWebScheme(address) && !address.host().isEmpty()) return true;
  if (mainFrame) return false;
  const QString text = address.toString();
  return text == QStringLiteral("about:blank") || text == QStringLiteral("about:srcdoc");
}

}  // namespace tessivar
