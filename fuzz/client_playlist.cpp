// The playlists the bookmarks import (M3U or PLS): whatever is read, exported in either format,
// reads back the same entries (a title on one line).
#include "library/playlist_file.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace tessivar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const PlaylistDecoding read =
      decodePlaylist(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
  // A playlist whose every entry was skipped exports as one with no entries, which is no playlist.
  if (!read.ok || read.entries.isEmpty()) return 0;
  QList<ListEntry> expected = read.entries;
  for (ListEntry &entry : expected) {
    for (QChar &c : entry.text) {
      if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = u' ';
    }
    entry.text = entry.text.trimmed();
    if (entry.text.isEmpty()) entry.text = entry.secondText;  // an entry without a title shows its address
  }
  for (const PlaylistFormat format : {PlaylistFormat::M3u, PlaylistFormat::Pls}) {
    const PlaylistEncoding written = encodePlaylist(read.entries, format);
    const PlaylistDecoding again = decodePlaylist(written.bytes);
    if (written.skipped != 0 || !again.ok || again.skipped != 0 || again.entries != expected) {
      std::fprintf(stderr, "exported as %s, the playlist reads otherwise:\n%s\n",
                   format == PlaylistFormat::Pls ? "PLS" : "M3U", written.bytes.constData());
      std::abort();
    }
  }
  return 0;
}
