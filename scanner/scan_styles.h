#pragma once

#include <QString>
#include <QStringList>

namespace tessivar {

// The styles the scanner offers, in the order of its drop-down; the first is preselected.
const QStringList &scanStyles();
// "*All Stations": every style, no STYLE parameter.
QString allStationsStyle();

// The STYLE parameter of a style as the directory reads it ("&STYLE=..."); empty for
// "*All Stations". Blanks stay blanks here.
QString styleParameter(const QString &style);

}  // namespace tessivar
