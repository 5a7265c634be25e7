#pragma once

#include <QString>

namespace tessivar {

// Where a file that could not be read whole is kept before it is written over: the first free
// name of "<path>.unreadable", "<path>.unreadable.1", ...
QString unreadableCopyName(const QString &path);

}  // namespace tessivar
