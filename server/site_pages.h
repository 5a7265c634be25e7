#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessivar::directory {

// The maker's static page at this path ("/about.asp", "/real.htm", ...), if there is one.
// siteHost is the web site's host[:port], used for links back to the site.
std::optional<std::string> sitePage(const std::string &path, const std::string &siteHost);

// Every path sitePage() answers.
std::vector<std::string> sitePagePaths();

// The page for a path nothing answers; the client recognises its "404 Object Not Found".
std::string notFoundPage();

// A short page for a request the server refuses, with the reason.
std::string badRequestPage(const std::string &reason);
// A page for the status line (like "503 Service Unavailable") saying why.
std::string errorPage(const std::string &status, const std::string &reason);

// The top-ten page: the most searched terms with their counts.
std::string topTenPage(const std::vector<std::pair<std::string, std::int64_t>> &terms);

// The answer to a mailing-list sign-up.
std::string signupThanksPage(const std::string &name);

}  // namespace tessivar::directory
