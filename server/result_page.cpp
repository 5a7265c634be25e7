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
  for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (auto at = upper.find("EXCEPTION OC"); at != std::string::npos; at = upper.find("EXCEPTION OC", at + 1))
    field[at + 9] = '-';
  return field;
}

}  // namespace

std::string resultLineHead(const CatalogueEntry &entry)
{
  std::string text = "<A HREF=\"";
  text += safeAddress(entry.url);
  text += "\">";
  text += orUnknown(safeField(entry.name));
  text += "**";
  text += safeField(entry.format);
  text += "&&";
  text += orUnknown(safeField(entry.location));
  text += "^^";
  text += speedText(entry.bitrate);
  text += "$$";
  return text;
}

std::string resultLineTail(const CatalogueEntry &entry)
{
  return "@@" + safeAddress(entry.homepage) + "</A><BR>\r\n";
}

void appendResultLine(std::string &page, std::string_view head, std::string_view tail, PageLayout layout,
                      std::int64_t duration, std::int64_t id, bool checkFailed)
{
  page += head;
  if (layout == PageLayout::Archive) {
    page += std::to_string(duration);
    page += "~~";
    page += std::to_string(id);
    page += "~$~$";
  }
  page += checkFailed ? '1' : '0';
  page += tail;
}

std::string resultPageStart(std::optional<std::int64_t> totalPages)
{
  std::string page = "<HTML><HEAD><TITLE>Tessivar Directory</TITLE></HEAD><BODY>\r\n";
  if (totalPages) page += "&&&&TOTALPAGES:" + std::to_string(*totalPages) + "<BR>\r\n";
  return page;
}

std::string renderResultPage(const std::vector<CatalogueEntry> &entries, PageLayout layout,
                             std::optional<std::int64_t> totalPages)
{
  std::string page = resultPageStart(totalPages);
  page.reserve(page.size() + entries.size() * 200);
  for (const auto &entry : entries)
    appendResultLine(page, resultLineHead(entry), resultLineTail(entry), layout, entry.duration, entry.id,
                     entry.checkFailed);
  page += resultPageEnd;
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
  answer +=
      separator + (station.bitrate > 0 ? std::to_string(station.bitrate) + "k" : std::string("Unknown"));
  answer += "<BR>";
  return answer;
}

}  // namespace tessivar::directory
