#pragma once

#include "server/catalogue_entry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessivar::directory {

enum class PageLayout {
  Live,    // name**format&&location^^speed$$flag@@website
  Archive, // name**format&&location^^speed$$seconds~~id~$~$flag@@website
};

// A result page: one anchor per entry, and the total-pages marker when totalPages is given. The
// page holds no double quote outside the anchors' addresses, since the client takes the next
// double quote as the start of the next address.
std::string renderResultPage(const std::vector<CatalogueEntry> &entries, PageLayout layout,
                             std::optional<std::int64_t> totalPages = std::nullopt);

// One anchor's text, without the tag.
std::string anchorText(const CatalogueEntry &entry, PageLayout layout);

// The scanner's answer for one station: position@@@@website@@@@name@@@@url@@@@format@@@@state@@@@country@@@@rate<BR>
std::string renderScanAnswer(const CatalogueEntry &station);

}  // namespace tessivar::directory
