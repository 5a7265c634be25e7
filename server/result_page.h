#pragma once

#include "server/catalogue_entry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::directory {

// Takes the next piece of a page being written; false when its reader has gone (stop writing).
using ChunkSink = std::function<bool(std::string_view chunk)>;

enum class PageLayout {
  Live,     // name**format&&location^^speed$$flag@@website
  Archive,  // name**format&&location^^speed$$seconds~~id~$~$flag@@website
};

// A result page: one anchor per entry, and the total-pages marker when totalPages is given. The
// page holds no double quote outside the anchors' addresses, since the client takes the next
// double quote as the start of the next address.
std::string renderResultPage(const std::vector<CatalogueEntry> &entries, PageLayout layout,
                             std::optional<std::int64_t> totalPages = std::nullopt);

// The parts of an entry's line that depend on neither the layout nor the check state, kept in the
// catalogue so a search only joins them: head `<A HREF="URL">name**format&&location^^speed$$`,
// tail `@@website</A><BR>` and a line break.
std::string resultLineHead(const CatalogueEntry &entry);
std::string resultLineTail(const CatalogueEntry &entry);

// Appends one entry's line: head, then `seconds~~id~$~$` in the archive layout, the flag and tail.
void appendResultLine(std::string &page, std::string_view head, std::string_view tail, PageLayout layout,
                      std::int64_t duration, std::int64_t id, bool checkFailed);

// What comes before the first line (with the total-pages marker when given) and after the last.
std::string resultPageStart(std::optional<std::int64_t> totalPages = std::nullopt);
inline constexpr const char *resultPageEnd = "</BODY></HTML>\r\n";

// The scanner's answer for one station:
// position@@@@website@@@@name@@@@url@@@@format@@@@state@@@@country@@@@rate<BR>
std::string renderScanAnswer(const CatalogueEntry &station);

}  // namespace tessivar::directory
