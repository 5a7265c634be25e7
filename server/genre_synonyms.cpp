#include "server/genre_synonyms.h"

#include <map>

namespace tessivar::directory {

const std::vector<std::string> &genreSynonyms(const std::string &key)
{
  static const std::map<std::string, std::vector<std::string>> table{
      {"talk/news", {"talk", "news", "information"}},
      {"special", {"special", "police", "scanner", "emergency", "fire dispatch", "public safety"}},
      {"religious",
       {"religious", "religion", "christian", "gospel", "catholic", "church", "worship", "islam", "bible",
        "spiritual"}},
      {"college", {"college", "university", "universit", "campus", "student"}},
      {"oldtime", {"oldtime", "old time", "old-time", "otr", "bluegrass"}},
      {"sports", {"sport", "football", "soccer"}},
      {"calypso", {"calypso", "soca"}},
      {"celtic", {"celtic", "irish folk", "gaelic"}},
      {"experimental", {"experimental", "avant"}},
      {"alternative", {"alternative", "indie"}},
      {"big band", {"big band", "bigband"}},
      {"new wave", {"new wave", "newwave"}},
      {"zydeco", {"zydeco", "cajun"}},
      {"oldies", {"oldies", "oldie"}},
  };
  static const std::vector<std::string> none;
  const auto found = table.find(key);
  return found == table.end() ? none : found->second;
}

const std::vector<std::string> &genresFromNames()
{
  static const std::vector<std::string> words{
      "jazz",   "blues",   "rock",       "pop",          "classical",   "country",   "dance",   "reggae",
      "metal",  "punk",    "techno",     "oldies",       "gospel",      "christian", "news",    "talk",
      "sports", "college", "university", "ska",          "swing",       "celtic",    "calypso", "flamenco",
      "zydeco", "goth",    "industrial", "experimental", "alternative", "big band",  "new age", "new wave",
      "50s",    "60s",     "70s",        "80s",          "90s",         "police",    "scanner", "religious",
      "soul",   "funk",    "hip hop",    "folk",         "latin",       "house",     "trance",  "ambient",
      "lounge", "chillout"};
  return words;
}

}  // namespace tessivar::directory
