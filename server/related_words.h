#pragma once

#include <QStringList>

namespace tessivar::directory {

// What makes clips related: the words of four letters or more in a title (common ones left out), at
// most eight, lower case, each once.
QStringList titleWords(const QString &title);

// The tags of a genre text (comma-separated): three letters or more, lower case, at most eight, each once.
QStringList tagList(const QString &genre);

}  // namespace tessivar::directory
