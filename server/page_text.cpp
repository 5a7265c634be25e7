#include "server/page_text.h"

#include <cstdio>

namespace tessivar::directory {

namespace {

bool isMarkerChar(char c)
{
  return c == '*' || c == '&' || c == '^' || c == '$' || c == '~' || c == '@';
}

// Shrinks runs of one marker character and the "~$~$" sequence until nothing marker-like is left.
std::string breakMarkers(std::string text)
{
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (isMarkerChar(c) && !out.empty() && out.back() == c) continue;
    out.push_back(c);
    if (out.size() >= 4 && out.compare(out.size() - 4, 4, "~$~$") == 0) out.resize(out.size() - 2);
  }
  return out;
}

}  // namespace

bool isValidUtf8(std::string_view text)
{
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    int length = 0;
    unsigned int codePoint = 0;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if ((c & 0xE0) == 0xC0) {
      length = 2;
      codePoint = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3;
      codePoint = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4;
      codePoint = c & 0x07;
    } else {
      return false;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) return false;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    const unsigned int smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
    i += static_cast<std::size_t>(length);
  }
  return true;
}

std::string safeField(std::string_view text)
{
  std::string cleaned;
  cleaned.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '<' || c == '>') continue;
    cleaned.push_back(byte < 0x20 || byte == 0x7F ? ' ' : c);
  }
  std::string out = breakMarkers(std::move(cleaned));
  std::size_t begin = 0;
  std::size_t end = out.size();
  while (begin < end && (isMarkerChar(out[begin]) || out[begin] == ' ')) ++begin;
  while (end > begin && (isMarkerChar(out[end - 1]) || out[end - 1] == ' ')) --end;
  return out.substr(begin, end - begin);
}

std::string safeAddress(std::string_view url)
{
  std::string encoded;
  encoded.reserve(url.size());
  for (char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\'' || c == '`') {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", byte);
      encoded += escape;
    } else {
      encoded.push_back(c);
    }
  }
  // A doubled marker character in an address is written with its second one percent-encoded.
  std::string out;
  out.reserve(encoded.size());
  for (char c : encoded) {
    if (isMarkerChar(c) && !out.empty() && out.back() == c) {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
      out += escape;
      continue;
    }
    out.push_back(c);
    if (out.size() >= 4 && out.compare(out.size() - 4, 4, "~$~$") == 0) out.replace(out.size() - 1, 1, "%24");
  }
  if (!out.empty() && isMarkerChar(out.front())) {
    char escape[4];
    std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(out.front()));
    out.replace(0, 1, escape);
  }
  while (!out.empty() && isMarkerChar(out.back())) {
    char escape[4];
    std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(out.back()));
    out.pop_back();
    out += escape;
  }
  return out;
}

std::string htmlEscape(std::string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace tessivar::directory
