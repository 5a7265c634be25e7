#include "server/result_page.h"

#include "server/page_text.h"

#include <cctype>

namespace tessivar::directory {

namespace {

std::string speedText(std::int64_t bitrate)
{
  return bitrate > 0 ? std::to_string(bitrate) + "k" : std::string("0");
}

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

std::string anchorText(const CatalogueEntry &entry, PageLayout layout)
{
  std::string text = orUnknown(safeField(entry.name));
  text += "**";
  text += safeField(entry.format);
  text += "&&";
  text += orUnknown(safeField(entry.location));
  text += "^^";
  text += speedText(entry.bitrate);
  text += "$$";
  if (layout == PageLayout::Archive) {
    text += std::to_string(entry.duration);
    text += "~~";
    text += std::to_string(entry.id);
    text += "~$~$";
  }
  text += entry.checkFailed ? "1" : "0";
  text += "@@";
  text += safeAddress(entry.homepage);
  return text;
}

std::string renderResultPage(const std::vector<CatalogueEntry> &entries, PageLayout layout,
                             std::optional<std::int64_t> totalPages)
{
  std::string page = "<HTML><HEAD><TITLE>Tessivar Directory</TITLE></HEAD><BODY>\r\n";
  page.reserve(page.size() + entries.size() * 200);
  if (totalPages)
    page += "&&&&TOTALPAGES:" + std::to_string(*totalPages) + "<BR>\r\n";
  for (const auto &entry : entries) {
    page += "<A HREF=\"";
    page += safeAddress(entry.url);
    page += "\">";
    page += anchorText(entry, layout);
    page += "</A><BR>\r\n";
  }
  page += "</BODY></HTML>\r\n";
  return page;
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
