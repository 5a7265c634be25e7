#include "results/stream_format.h"

#include <initializer_list>

// Three routines classify a URL, each with its own table. The tables differ on purpose:
// ".RMM" and "FTP://" are known only when choosing the player to launch, "MMS://" only to the
// player letter, "RTSP" only to the format name, and the letter table names ".WAV", ".RPM",
// ".PLS" and ".M3U" where the launch choice reaches RealPlayer through its default.

namespace tessivar {

namespace {

bool isOneOf(QStringView extension, std::initializer_list<QStringView> candidates)
{
  for (QStringView candidate : candidates) {
    if (extension == candidate) return true;
  }
  return false;
}

bool hasMarker(QStringView url, QStringView marker)
{
  return url.contains(marker, Qt::CaseInsensitive);
}

}  // namespace

QString urlExtension(QStringView url, QuoteHandling quotes)
{
  const qsizetype dot = url.lastIndexOf(u'.');
  QString extension = (dot < 0 ? url : url.mid(dot)).toString().toUpper();
  if (quotes == QuoteHandling::Remove) extension.remove(u'"');
  return extension;
}

QString streamFormatName(QStringView url)
{
  if (url.isEmpty()) return {};
  const QString ext = urlExtension(url, QuoteHandling::Keep);
  if (ext == u".WAV") return QStringLiteral("WAV Audio");
  if (ext == u".AVI") return QStringLiteral("AVI Video");
  if (isOneOf(ext, {u".RA", u".RAM", u".RM", u".RPM", u".SMI", u".SMIL"})) return QStringLiteral("RealAudio");
  if (ext == u".XDM") return QStringLiteral("Xing StreamWorks");
  if (isOneOf(ext, {u".ASF", u".ASX", u".WMA", u".WMV", u".WAX"})) return QStringLiteral("Microsoft Media");
  if (isOneOf(ext, {u".PLS", u".M3U"})) return QStringLiteral("MP3");
  if (isOneOf(ext, {u".MPA", u".M1V", u".MPE", u".MPEG", u".MPG", u".MP"}))
    return QStringLiteral("MPEG Video");
  if (hasMarker(url, u"MAKEASX")) return QStringLiteral("Microsoft Media");
  if (hasMarker(url, u"MAKERAM") || hasMarker(url, u"RTSP")) return QStringLiteral("RealAudio");
  return QStringLiteral("MP3");
}

StreamPlayer launchPlayerForURL(QStringView url)
{
  if (!url.contains(u'.')) return StreamPlayer::None;
  if (hasMarker(url, u"FTP://")) return StreamPlayer::WindowsMedia;
  const QString ext = urlExtension(url, QuoteHandling::Remove);
  if (isOneOf(ext, {u".SMIL", u".SMI", u".RMM", u".RAM", u".RM", u".RA"})) return StreamPlayer::RealPlayer;
  if (isOneOf(ext, {u".AVI", u".ASX", u".ASF", u".WMA", u".WMV", u".WAX"})) return StreamPlayer::WindowsMedia;
  if (ext == u".XDM") return StreamPlayer::StreamWorks;
  if (hasMarker(url, u"MAKEASX")) return StreamPlayer::WindowsMedia;
  if (hasMarker(url, u"MAKERAM")) return StreamPlayer::RealPlayer;
  return StreamPlayer::RealPlayer;
}

QString playerForURL(QStringView url)
{
  if (url.isEmpty()) return {};
  const QString ext = urlExtension(url, QuoteHandling::Remove);
  if (isOneOf(ext, {u".WAV", u".PLS", u".M3U", u".RA", u".RAM", u".RM", u".RPM", u".SMI", u".SMIL"}))
    return QStringLiteral("R");
  if (ext == u".XDM") return QStringLiteral("X");
  if (isOneOf(ext, {u".ASF", u".AVI", u".ASX", u".WMA", u".WMV", u".WAX"})) return QStringLiteral("N");
  if (hasMarker(url, u"MAKEASX") || hasMarker(url, u"MMS://")) return QStringLiteral("N");
  return QStringLiteral("R");
}

}  // namespace tessivar
