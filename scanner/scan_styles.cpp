#include "scanner/scan_styles.h"

namespace tessivar {

const QStringList &scanStyles()
{
  static const QStringList styles{
      QStringLiteral("*All Stations"),
      QStringLiteral("Religious"),
      QStringLiteral("College"),
      QStringLiteral("Talk/News"),
      QStringLiteral("Special (Police, Emergency, Scanner)"),
      QStringLiteral("50s"),
      QStringLiteral("60s"),
      QStringLiteral("70s"),
      QStringLiteral("80s"),
      QStringLiteral("90s"),
      QStringLiteral("Alternative"),
      QStringLiteral("Adult Contemporary"),
      QStringLiteral("Big Band"),
      QStringLiteral("Blues"),
      QStringLiteral("Calypso"),
      QStringLiteral("Celtic"),
      QStringLiteral("Classical"),
      QStringLiteral("Country"),
      QStringLiteral("Dance"),
      QStringLiteral("Experimental"),
      QStringLiteral("Goth"),
      QStringLiteral("Industrial"),
      QStringLiteral("Jazz"),
      QStringLiteral("Metal"),
      QStringLiteral("New Age"),
      QStringLiteral("Oldtime"),
      QStringLiteral("Oldies"),
      QStringLiteral("Pop"),
      QStringLiteral("Punk"),
      QStringLiteral("Rock"),
      QStringLiteral("Ska"),
      QStringLiteral("Swing"),
      QStringLiteral("Techno"),
      QStringLiteral("Zydeco"),
  };
  return styles;
}

QString allStationsStyle()
{
  return QStringLiteral("*All Stations");
}

QString styleParameter(const QString &style)
{
  struct Special
  {
    const char16_t *style;
    const char16_t *parameter;
  };
  // The styles whose words would match too much or too little as they are shown.
  static constexpr Special specials[] = {
      {u"50s", u"&STYLE=50s,50's,1950,fifties"},
      {u"60s", u"&STYLE=60s,60's,1960,sixties"},
      {u"70s", u"&STYLE=70s,70's,1970,seventies"},
      {u"80s", u"&STYLE=80s,80's,1980,eighties"},
      {u"90s", u"&STYLE=90s,90's,1990,nineties"},
      {u"Ska", u"&STYLE=^ska^,^ska$,ska-,ska/,skamusic,`ska"},
      {u"Techno", u"&STYLE=techno^,techno$,techno-,techno/,technomusic"},
      {u"Special (Police, Emergency, Scanner)", u"&STYLE=special"},
  };
  if (style == allStationsStyle()) return {};
  for (const Special &special : specials) {
    if (style == QStringView(special.style)) return QString::fromUtf16(special.parameter);
  }
  return QStringLiteral("&STYLE=") + style;
}

}  // namespace tessivar
