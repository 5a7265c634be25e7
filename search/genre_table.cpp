#include "search/genre_table.h"

#include <array>

namespace tessivar {

namespace {

struct GenreRow
{
  QStringView menuName;
  QStringView text;
  int formatCode;
};

// The search texts are the server's search syntax: commas separate alternatives, and "^", "$",
// "-", "/" and "`" are its matching marks.
constexpr std::array<GenreRow, 37> genres{{
    {u"menuCollege", u"College", 1},
    {u"menuReligious", u"Religious", 1},
    {u"menuTalkNews", u"Talk/News", 1},
    {u"menuSpecial", u"Special", 1},
    {u"menu50s", u"50s,50's,1950,fifties", 2},
    {u"menu60s", u"60s,60's,1960,sixties", 2},
    {u"menu70s", u"70s,70's,1970,seventies", 2},
    {u"menu80s", u"80s,80's,1980,eighties", 2},
    {u"menu90s", u"90s,90's,1990,nineties", 2},
    {u"menuAlternative", u"Alternative", 2},
    {u"menuAC", u"Adult Contemporary", 2},
    {u"menuBigBand", u"Big Band", 2},
    {u"menuBlues", u"Blues", 2},
    {u"menuCalypso", u"calypso", 2},
    {u"menuCeltic", u"Celtic", 2},
    {u"menuClassical", u"Classical", 2},
    {u"menuCountry", u"Country", 2},
    {u"menuDance", u"Dance", 2},
    {u"MenuExp", u"Experimental", 2},
    {u"menuFlamenco", u"Flamenco", 2},
    {u"menuGoth", u"Goth", 2},
    {u"menuIndustrial", u"Industrial", 2},
    {u"menuJazz", u"Jazz", 2},
    {u"menuMetal", u"Metal", 2},
    {u"menuNewAge", u"New Age", 2},
    {u"menuNewWave", u"New Wave", 2},
    {u"menuOldTime", u"Oldtime", 2},
    {u"menuOldies", u"Oldies", 2},
    {u"menuPOP", u"Pop", 2},
    {u"menuPunk", u"Punk", 2},
    {u"menuRock", u"Rock", 2},
    {u"menuReggae", u"Reggae", 2},
    {u"menuSka", u"^ska^,^ska$,ska-,ska/,skamusic,`ska", 2},
    {u"menuSport", u"Sports", 2},
    {u"menuSwing", u"Swing", 2},
    {u"menutechno", u"techno^,techno$,techno-,techno/,technomusic", 2},
    {u"menuZydeco", u"Zydeco", 2},
}};

}  // namespace

std::optional<GenreSearch> genreSearch(QStringView menuName)
{
  for (const GenreRow &row : genres) {
    if (row.menuName == menuName) return GenreSearch{row.text.toString(), row.formatCode};
  }
  return std::nullopt;
}

}  // namespace tessivar
