#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct MHD_Connection;

namespace tessivar::directory {

// Every value of one request header, in order.
std::vector<std::string> headerValues(MHD_Connection *connection, const char *name);

// The status to refuse a request with for its head alone, or 0: a method other than GET or HEAD
// (405); HTTP/1.1 without exactly one Host, or HTTP/1.0 with several; a CR, LF or NUL in the target,
// a CR or NUL in a header, a blank in a header name; any Transfer-Encoding; a Content-Length that is not
// 1-18 digits or is repeated with another value (400); a body over maxBody (413).
int headRefusal(MHD_Connection *connection, std::string_view method, std::string_view version,
                std::string_view target, std::size_t maxBody);

}  // namespace tessivar::directory
