#pragma once

#include <string>
#include <string_view>

namespace tessivar::directory {

// True when text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

// A catalogue value made safe for a field of a result or scanner page: control characters become
// blanks, double quotes and angle brackets go, runs of the marker characters * & ^ $ ~ @ shrink to
// one so no marker ("**", "&&", "^^", "$$", "~~", "~$~$", "@@") can form, and marker characters at
// either end are dropped so none can join the marker beside the field.
std::string safeField(std::string_view text);

// An address made safe for HREF="..." and the fields: blanks, quotes, angle brackets, control and
// non-ASCII bytes are percent-encoded, and doubled marker characters are broken up the same way.
std::string safeAddress(std::string_view url);

// Text for HTML element content.
std::string htmlEscape(std::string_view text);

}  // namespace tessivar::directory
