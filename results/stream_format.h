#pragma once

#include <QString>
#include <QStringView>

namespace tessivar {

// The player a stream is started with when the user plays it.
enum class StreamPlayer { None, RealPlayer, WindowsMedia, StreamWorks };

enum class QuoteHandling { Keep, Remove };

// The extension of a URL: the text from its last "." to the end, upper-cased; the whole URL
// upper-cased when it has no "." at all. With Remove, every double quote is dropped from it.
QString urlExtension(QStringView url, QuoteHandling quotes);

// The format name shown for a result's URL (followed by " Stream" in the status bar);
// an empty text for an empty URL, which shows nothing.
QString streamFormatName(QStringView url);

// The player chosen when a URL is played; None when the URL has no "." at all.
StreamPlayer launchPlayerForURL(QStringView url);

// The player letter the scanner chooses its embedded player by: "R" RealPlayer,
// "N" Windows Media Player, "X" StreamWorks; empty for an empty URL.
QString playerForURL(QStringView url);

}  // namespace tessivar
