#pragma once

#include <QString>

// Fixed facts about the program that several windows and requests share.
namespace tessivar::product {

inline QString applicationName()
{
  return QStringLiteral("Tessivar! Broadcast");
}
// Title of message boxes that are not given the application name explicitly.
inline QString applicationTitle()
{
  return QStringLiteral("Tessivar");
}
inline QString organisationName()
{
  return QStringLiteral("Tessivar");
}
inline QString version()
{
  return QStringLiteral(TESSIVAR_VERSION_TEXT);
}
// The product's one-letter code sent as "P=" to the directory and the maker's site.
inline QString productCode()
{
  return QStringLiteral("T");
}
// The directory's page that answers searches, related results and the scanner's station requests.
inline QString directoryPage()
{
  return QStringLiteral("/tessivar37.asp");
}
inline QString supportEmail()
{
  return QStringLiteral(TESSIVAR_SUPPORT_EMAIL);
}
// Host (optionally host:port) of the maker's web site when the "SiteHost" setting is empty.
inline QString defaultSiteHost()
{
  return QStringLiteral(TESSIVAR_SITE_HOST);
}
// Caption of the main window: name, " v", version.
inline QString mainWindowCaption()
{
  return applicationName() + QStringLiteral(" v") + version();
}
// Tooltip of the tray icon: name, a blank, version.
inline QString trayToolTip()
{
  return applicationName() + QLatin1Char(' ') + version();
}

}  // namespace tessivar::product
