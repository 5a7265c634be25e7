#pragma once

#include <QString>

namespace tessivar {

// Longest address a player is handed; real stream addresses stay far below it.
inline constexpr qsizetype maximumStreamAddressLength = 2048;

// An address a player may be handed: a network stream (http, https, mms, mmsh, mmst, rtsp) with a
// host, at most maximumStreamAddressLength characters, and no blanks or control characters (so it
// never begins with a blank, nor with a dash a player would take for an option); never a local
// file or a player engine's own protocols. Embedded players, external players, playlist files and
// the scanner all go by it.
bool isStreamAddress(const QString &address);

}  // namespace tessivar
