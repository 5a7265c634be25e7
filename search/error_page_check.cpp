#include "search/error_page_check.h"

#include <array>

namespace tessivar {

namespace {

struct ErrorPage
{
  QStringView found;
  QStringView message;
};

constexpr std::array<ErrorPage, 6> errorPages{{
    {u"302 Moved Temporarily", u"Error 302 : Document Moved Temporarily"},
    {u"301 Moved Permanently", u"Error 301 : Document Moved Permanently"},
    {u"404 Object Not Found", u"Error 404 : Object Not Found"},
    {u"404 File Not Found", u"Error 404 : File Not Found"},
    {u"Forbidden", u"Error (Forbidden) : You are not permitted to access this site."},
    {u"403.6", u"Error (Forbidden) : You are not permitted to access this site."},
}};

}  // namespace

std::optional<QString> CheckServerErrorPage(QStringView page)
{
  for (const ErrorPage &candidate : errorPages) {
    if (page.contains(candidate.found, Qt::CaseSensitive)) return candidate.message.toString();
  }
  return std::nullopt;
}

}  // namespace tessivar
