#pragma once

#include "server/catalogue_entry.h"

#include <QStringList>

#include <cstdint>
#include <map>
#include <vector>

namespace tessivar::directory {

// What makes clips related: the words of four letters or more in a title (common ones left out), at
// most eight, lower case, each once.
QStringList titleWords(const QString &title);

// The tags of a genre text (comma-separated): three letters or more, lower case, at most eight, each once.
QStringList tagList(const QString &genre);

// The candidates ranked as related to the item, best first, at most limit of them: 10 for the same
// show, 3 for each shared tag, 1 for each of the item's title words standing whole in the name; ties by
// name (ignoring case), then number. The item itself, other formats and candidates scoring 0 are left out.
std::vector<CatalogueEntry> rankRelated(const CatalogueEntry &item,
                                        std::map<std::int64_t, CatalogueEntry> candidates,
                                        std::uint32_t families, std::size_t limit);

}  // namespace tessivar::directory
