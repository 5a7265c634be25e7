#pragma once

#include <QString>

namespace tessivar {

class SettingsStore;

// The fixed pages of the maker's web site that the program opens in the user's browser.
enum class SiteLink {
  AddStation,            // "&Add a Station"
  StartStation,          // "Start your own Radio Station"
  DownloadMedia,         // "Download Media"
  LiveTelevision,        // "Live Television" in "&Select Format"
  OnlineDemo,            // "&Online Demo"
  Support,               // "&Support", "Need more help?"
  VisitMaker,            // "&Visit Halvorne"
  RealPlayerPage,        // RealPlayer download page
  MediaPlayerPage,       // Windows Media Player download page
  StreamWorksInstaller,  // the StreamWorks player's installer
  RecorderPage,          // Total Recorder information page
  ProductPage,           // the product's own page (quick help logo)
};

// The path of a link on the site, beginning with "/".
QString sitePath(SiteLink link);
// "http://" + host + path.
QString siteAddress(const QString &host, const QString &path);
// The full address of a link on the site host in force ("SiteHost" or the built-in host).
QString siteLink(const SettingsStore &settings, SiteLink link);

}  // namespace tessivar
