#pragma once

#include <QString>

namespace tessivar {

// An address a player may be handed: a network stream (http, https, mms, mmsh, mmst, rtsp) with a
// host, and no blanks or control characters; never a local file or a player engine's own
// protocols. Embedded players, playlist files and the scanner all go by it.
bool isStreamAddress(const QString &address);

}  // namespace tessivar
