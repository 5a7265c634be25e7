#pragma once

#include <QStringList>
#include <QStringView>

#include <optional>

namespace tessivar {

// The connection list's entries, in order: the six named speeds, then "All Connections".
const QStringList &connectionChoices();

// The speed limit in kbps of a connection name (exact compare): 28, 33, 56, 64, 128 or 300; none
// for any other name ("All Connections", empty).
std::optional<int> speedLimit(QStringView connectionSpeed);

}  // namespace tessivar
