#include "dialogs/web_address.h"

#include "platform/web_address.h"

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
  // The program's one rule for addresses from a server decides; this only makes it a URL.
  const std::optional<QString> address = openableWebAddress(text);
  if (!address) return {};
  const QUrl url(*address, QUrl::StrictMode);
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
