#include "platform/web_address.h"

#include <QUrl>

namespace tessivar {

namespace {

bool isSchemeStart(QChar c)
{
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSchemeCharacter(QChar c)
{
  return isSchemeStart(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// The scheme the text begins with ("http" of "http://x"), or nothing. "host:8080/path" has none:
// what follows its colon is a port.
std::optional<QStringView> schemeOf(QStringView text)
{
  if (text.isEmpty() || !isSchemeStart(text.front())) return std::nullopt;
  qsizetype colon = 1;
  while (colon < text.size() && isSchemeCharacter(text[colon])) ++colon;
  if (colon == text.size() || text[colon] != u':') return std::nullopt;
  qsizetype end = colon + 1;
  while (end < text.size() && text[end].isDigit()) ++end;
  const bool port =
      end > colon + 1 && (end == text.size() || text[end] == u'/' || text[end] == u'?' || text[end] == u'#');
  if (port) return std::nullopt;
  return text.first(colon);
}

bool hasWebHost(const QString &address)
{
  const QUrl url(address, QUrl::TolerantMode);
  return url.isValid() && !url.host().isEmpty() && url.userInfo().isEmpty();
}

bool isWebScheme(const QUrl &url)
{
  const QString scheme = url.scheme().toLower();
  return scheme == QStringLiteral("http") || scheme == QStringLiteral("https");
}

}  // namespace

std::optional<QString> openableWebAddress(QStringView text)
{
  const QStringView trimmed = text.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  if (const std::optional<QStringView> scheme = schemeOf(trimmed)) {
    const bool web = scheme->compare(u"http", Qt::CaseInsensitive) == 0 ||
                     scheme->compare(u"https", Qt::CaseInsensitive) == 0;
    if (!web || !trimmed.sliced(scheme->size() + 1).startsWith(u"//")) return std::nullopt;
    QString address = trimmed.toString();
    if (!hasWebHost(address)) return std::nullopt;
    return address;
  }
  // A bare host begins with a letter or digit: not a path ("/", "\", "."), not "//host".
  if (!trimmed.front().isLetterOrNumber() || trimmed.contains(u'\\')) return std::nullopt;
  QString address = QStringLiteral("http://");
  address += trimmed;
  if (!hasWebHost(address)) return std::nullopt;
  // A word without a dot ("Unknown", the listings' text for no website) names no host on the web.
  if (!QUrl(address, QUrl::TolerantMode).host().contains(u'.')) return std::nullopt;
  return address;
}

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
