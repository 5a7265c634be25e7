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

}  // namespace

void appendAnchorText(std::string &out, const CatalogueEntry &entry, PageLayout layout)
{
  const auto appendOrUnknown = [&out](std::string_view text) {
    const std::size_t before = out.size();
    appendSafeField(out, text);
    if (out.size() == before)
      out += "Unknown";
  };
  appendOrUnknown(entry.name);
  out += "**";
  appendSafeField(out, entry.format);
  out += "&&";
  appendOrUnknown(entry.location);
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
  appendSafeAddress(out, entry.homepage);
}

std::string anchorText(const CatalogueEntry &entry, PageLayout layout)
{
  std::string text;
  appendAnchorText(text, entry, layout);
  return text;
}

std::string renderResultPage(const std::vector<const CatalogueEntry *> &entries, PageLayout layout,
                             std::optional<std::int64_t> totalPages)
{
  std::string page;
  page.reserve(128 + entries.size() * 160);
  page += "<HTML><HEAD><TITLE>Tessivar Directory</TITLE></HEAD><BODY>\r\n";
  if (totalPages)
    page += "&&&&TOTALPAGES:" + std::to_string(*totalPages) + "<BR>\r\n";
  for (const CatalogueEntry *entry : entries) {
    page += "<A HREF=\"";
    appendSafeAddress(page, entry->url);
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
  std::vector<const CatalogueEntry *> pointers;
  pointers.reserve(entries.size());
  for (const auto &entry : entries)
    pointers.push_back(&entry);
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
