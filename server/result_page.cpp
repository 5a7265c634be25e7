#include "server/result_page.h"

#include "server/page_text.h"

#include <cctype>

namespace tessivar::directory {

namespace {

std::string orUnknown(std::string text)
{
  return text.empty() ? std::string("Unknown") : text;
}

// A scanner field may hold no "@@" (safeField sees to that) and no "<", which would end the answer early.
// and none may read as the end-of-list marker once upper-cased.
std::string scanField(std::string_view text)
{
  std::string field = safeField(text);
  std::string upper = field;
  for (char &c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (auto at = upper.find("EXCEPTION OC"); at != std::string::npos; at = upper.find("EXCEPTION OC", at + 1))
    field[at + 9] = '-';
  return field;
}

void appendAnchorText(std::string &out, const PageEntry &entry, PageLayout layout)
{
  out += entry.name;
  out += "**";
  out += entry.format;
  out += "&&";
  out += entry.location;
  out += "^^";
  if (entry.bitrate > 0) {
    out += std::to_string(entry.bitrate);
    out += 'k';
  } else {
    out += '0';
  }
  out += "$$";
  if (layout == PageLayout::Archive) {
    out += std::to_string(entry.duration);
    out += "~~";
    out += std::to_string(entry.id);
    out += "~$~$";
  }
  out += entry.checkFailed ? '1' : '0';
  out += "@@";
  out += entry.homepage;
}

}  // namespace

PageEntry pageEntry(const CatalogueEntry &entry)
{
  return {safeAddress(entry.url),      orUnknown(safeField(entry.name)), safeField(entry.format),
          orUnknown(safeField(entry.location)), safeAddress(entry.homepage), entry.id,
          entry.bitrate,                entry.duration,                   entry.checkFailed};
}

std::string anchorText(const CatalogueEntry &entry, PageLayout layout)
{
  std::string text;
  appendAnchorText(text, pageEntry(entry), layout);
  return text;
}

std::string renderResultPage(const std::vector<const PageEntry *> &entries, PageLayout layout,
                             std::optional<std::int64_t> totalPages)
{
  std::string page;
  page.reserve(128 + entries.size() * 160);
  page += "<HTML><HEAD><TITLE>Tessivar Directory</TITLE></HEAD><BODY>\r\n";
  if (totalPages)
    page += "&&&&TOTALPAGES:" + std::to_string(*totalPages) + "<BR>\r\n";
  for (const PageEntry *entry : entries) {
    page += "<A HREF=\"";
    page += entry->url;
    page += "\">";
    appendAnchorText(page, *entry, layout);
    page += "</A><BR>\r\n";
  }
  page += "</BODY></HTML>\r\n";
  return page;
}

std::string renderResultPage(const std::vector<CatalogueEntry> &entries, PageLayout layout,
                             std::optional<std::int64_t> totalPages)
{
  std::vector<PageEntry> pages;
  pages.reserve(entries.size());
  std::vector<const PageEntry *> pointers;
  pointers.reserve(entries.size());
  for (const auto &entry : entries)
    pointers.push_back(&pages.emplace_back(pageEntry(entry)));
  return renderResultPage(pointers, layout, totalPages);
}

std::string renderScanAnswer(const CatalogueEntry &station)
{
  const std::string separator = "@@@@";
  std::string answer = std::to_string(station.id);
  answer += separator + safeAddress(station.homepage);
  answer += separator + orUnknown(scanField(station.name));
  answer += separator + safeAddress(station.url);
  answer += separator + orUnknown(scanField(station.format));
  answer += separator + orUnknown(scanField(station.state));
  answer += separator + orUnknown(scanField(station.country));
  answer += separator + (station.bitrate > 0 ? std::to_string(station.bitrate) + "k" : std::string("Unknown"));
  answer += "<BR>";
  return answer;
}

}  // namespace tessivar::directory
