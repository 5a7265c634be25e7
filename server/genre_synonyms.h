#pragma once

#include <string>
#include <vector>

namespace tessivar::directory {

// The alternatives a genre or category search text stands for, such as "talk" and "news" for
// "talk/news"; empty when the text (lower case, words joined by one blank) has no synonyms.
const std::vector<std::string> &genreSynonyms(const std::string &key);

// Genre words that the importer also looks for in a station's name, for stations whose own
// genre tags do not name them.
const std::vector<std::string> &genresFromNames();

}  // namespace tessivar::directory
