#pragma once

#include "server/request_params.h"

#include <string>
#include <string_view>

namespace tessivar::directory {

// %XX decoded (a malformed escape is kept as it is); with plusIsSpace "+" is a blank, as in a query.
std::string percentDecoded(std::string_view text, bool plusIsSpace);

// A request target split into its decoded path and its query's parameters, in order.
struct Target
{
  std::string path;
  Params params;
};
Target parseTarget(std::string_view target);

enum class Endpoint { Redirect, VersionCheck, Directory, Browse, TopTen, SignUp, SitePage, NotFound };

struct Route
{
  Endpoint endpoint = Endpoint::NotFound;
  std::string letter;  // Browse: /browse/ra_{letter}_{page}.asp
  std::string page;
  // Served from memory at once; the others read or write the catalogue and run on a worker.
  bool immediate() const
  {
    return endpoint == Endpoint::Redirect || endpoint == Endpoint::VersionCheck ||
           endpoint == Endpoint::SitePage || endpoint == Endpoint::NotFound;
  }
};
Route routeFor(std::string_view path);

}  // namespace tessivar::directory
