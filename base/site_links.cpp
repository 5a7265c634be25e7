#include "base/site_links.h"

#include "base/product.h"
#include "base/settings_store.h"

namespace tessivar {

QString sitePath(SiteLink link)
{
  switch (link) {
    case SiteLink::AddStation:
      return QStringLiteral("/addsite.htm");
    case SiteLink::StartStation:
      return QStringLiteral("/mystation.htm");
    case SiteLink::DownloadMedia:
      return QStringLiteral("/mediagrab.htm");
    case SiteLink::LiveTelevision:
      return QStringLiteral("/ctube.htm");
    case SiteLink::OnlineDemo:
      return QStringLiteral("/demo.asp?P=") + product::productCode();
    case SiteLink::Support:
      return QStringLiteral("/mailform.htm");
    case SiteLink::VisitMaker:
      return QStringLiteral("/about.asp?P=") + product::productCode();
    case SiteLink::RealPlayerPage:
      return QStringLiteral("/real.htm");
    case SiteLink::MediaPlayerPage:
      return QStringLiteral("/microsoft.htm");
    case SiteLink::StreamWorksInstaller:
      return QStringLiteral("/streamworks_player31.exe");
    case SiteLink::RecorderPage:
      return QStringLiteral("/total.htm");
    case SiteLink::ProductPage:
      return QStringLiteral("/tessivar.htm");
  }
  return QStringLiteral("/");
}

QString siteAddress(const QString &host, const QString &path)
{
  return QStringLiteral("http://") + host + path;
}

QString siteLink(const SettingsStore &settings, SiteLink link)
{
  return siteAddress(settings.siteHost(), sitePath(link));
}

}  // namespace tessivar
