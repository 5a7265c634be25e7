#pragma once

#include "platform/station_list_file.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tessivar {

// Playlists other players read: extended M3U ("#EXTM3U", "#EXTINF:-1,title", address) and PLS
// ("[playlist]", FileN, TitleN, LengthN, NumberOfEntries, Version=2). Entries are bookmarks:
// display text and address.
enum class PlaylistFormat { M3u, Pls };

// A file larger than this, or with more entries, is not a playlist of bookmarks.
inline constexpr qint64 maxPlaylistBytes = 4 * 1024 * 1024;
inline constexpr int maxPlaylistEntries = 10000;

// PLS for a name ending in ".pls" (any case), M3U otherwise.
PlaylistFormat playlistFormatForPath(const QString &path);

struct PlaylistEncoding
{
  QByteArray bytes;
  int skipped = 0;  // entries whose address cannot stand on a playlist line
};
// The playlist text of the entries (UTF-8). Line breaks in a title become blanks.
PlaylistEncoding encodePlaylist(const QList<ListEntry> &entries, PlaylistFormat format);

struct PlaylistDecoding
{
  bool ok = false;
  QString error;             // why the file was refused, when not ok
  QList<ListEntry> entries;  // in playlist order; the title, or the address when there is none
  int skipped = 0;           // entries whose address is not a stream address
};
// Reads M3U or PLS (told apart by a first line "[playlist]"), UTF-8 or Latin-1.
PlaylistDecoding decodePlaylist(const QByteArray &bytes);

// Writes the playlist atomically. Returns an empty text, or why it failed.
QString writePlaylistFile(const QString &path, const QByteArray &bytes);
// Reads and decodes a playlist file, refusing one larger than maxPlaylistBytes.
PlaylistDecoding readPlaylistFile(const QString &path);

}  // namespace tessivar
