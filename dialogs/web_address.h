#pragma once

#include <QString>
#include <QUrl>

namespace tessivar {

// The addresses the web window shows and hands to the user's browser, by the program's one rule
// for server addresses (openableWebAddress): http and https only, with a host; a bare host is
// taken as http. Anything else (file:, javascript:, mailto:, a custom scheme, a local path) gives
// an empty, invalid address.
QUrl webAddress(const QString &text);

// Whether a page may move a frame to the address: the main frame only to a web address, a frame
// inside the page also to an empty frame ("about:blank", "about:srcdoc").
bool pageMayNavigate(const QUrl &address, bool mainFrame);

}  // namespace tessivar
