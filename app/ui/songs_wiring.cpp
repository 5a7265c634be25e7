#include "app/ui/songs_wiring.h"

#include "app/ui/main_menus.h"
#include "app/ui/main_window.h"
#include "app/ui/program_parts.h"
#include "library/song_log.h"
#include "library/ui/songs_window.h"

#include <QAction>
#include <QPointer>

#include <memory>

namespace tessivar {

SongLog &wireSongLog(ProgramParts &parts)
{
  MainWindow &window = parts.window();
  auto *songs = new SongLog(defaultSongLogPath(), 10000, &window);
  // Lines that cannot be read are passed over; a log that cannot be read at all starts empty and
  // is added to.
  songs->load();
  auto shown = std::make_shared<QPointer<SongsWindow>>();
  QObject::connect(window.controls().menus.menuSongs, &QAction::triggered, &window,
                   [&window, &parts, songs, shown] {
                     if (shown->isNull()) {
                       *shown = new SongsWindow(*songs, parts.services().prompter, &window);
                       window.registerSideWindow(shown->data());
                     }
                     (*shown)->show();
                     (*shown)->raise();
                     (*shown)->activateWindow();
                   });
  return *songs;
}

}  // namespace tessivar
