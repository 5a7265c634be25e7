#include "platform/ui/artwork.h"

#include <QString>

// Resources of a static library are registered by hand, outside any namespace.
static void registerWindowArtwork()
{
  Q_INIT_RESOURCE(resources);
}

namespace tessivar::artwork {

namespace {

struct PictureInfo
{
  const char *themeName;  // empty: always the program's own
  const char *file;
};

PictureInfo info(Picture picture)
{
  switch (picture) {
    case Picture::Application:
      return {"", "app.svg"};
    case Picture::Setup:
      return {"preferences-system", "setup.svg"};
    case Picture::Search:
      return {"system-search", "search.svg"};
    case Picture::Stop:
      return {"process-stop", "stop.svg"};
    case Picture::Play:
      return {"media-playback-start", "play.svg"};
    case Picture::Record:
      return {"media-record", "record.svg"};
    case Picture::Website:
      return {"internet-web-browser", "website.svg"};
    case Picture::Scan:
      return {"", "scan.svg"};
    case Picture::Bookmarks:
      return {"bookmarks", "bookmarks.svg"};
    case Picture::Email:
      return {"mail-send", "email.svg"};
    case Picture::Preset:
      return {"", "preset.svg"};
    case Picture::PresetPressed:
      return {"", "preset_pressed.svg"};
    case Picture::StatusLive:
      return {"", "status_live.svg"};
    case Picture::StatusFile:
      return {"", "status_file.svg"};
  }
  return {"", "app.svg"};
}

void ensureRegistered()
{
  static const bool registered = [] {
    registerWindowArtwork();
    return true;
  }();
  (void)registered;
}

}  // namespace

QIcon ownIcon(Picture picture)
{
  ensureRegistered();
  return QIcon(QStringLiteral(":/tessivar/icons/") + QLatin1String(info(picture).file));
}

QIcon icon(Picture picture)
{
  const PictureInfo pictureInfo = info(picture);
  if (*pictureInfo.themeName == '\0') return ownIcon(picture);
  return QIcon::fromTheme(QLatin1String(pictureInfo.themeName), ownIcon(picture));
}

}  // namespace tessivar::artwork
