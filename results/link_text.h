#pragma once

#include "results/result_layout.h"

#include <QString>

#include <optional>

namespace tessivar {

class ResultTableModel;

// The texts of the copy, e-mail and visit commands for one row of the results grid (grid rows:
// data rows from 1).
enum class LinkTextKind {
  Copy,   // "&Copy": "URL : " lines and the full notice
  Email,  // "&Email Link to a Friend": "Link : " lines and the short notice
};

// A row that can be copied or e-mailed: it exists and its column 5 (the stream address in the
// archive layout, the website in the live layout) is not empty.
bool isLinkRow(const ResultTableModel &model, int row);

// The labelled lines of the row, each ending in CR LF, then the footer: an empty line, "-", the
// courtesy line naming makerSite and the notice, separated by CR LF with nothing after the last.
//   archive: "Name : " title, "Info : " item number, "URL : " (or "Link : ") address,
//            "Found on : " website
//   live:    "Name : " station, "URL : " (or "Link : ") address, "Found on : " website
QString linkText(LinkTextKind kind, ResultLayout layout, const ResultTableModel &model, int row,
                 const QString &makerSite);

// The address to open for "&Visit Stream Website": the row's website (column 6 in the archive
// layout, 5 in the live layout) when it is a web address (see openableWebAddress); nothing when
// it is empty, "Unknown" or anything else.
std::optional<QString> rowWebsiteAddress(const ResultTableModel &model, ResultLayout layout, int row);

QString noItemSelectedText();  // "No item selected." (critical icon)
QString noWebsiteText();       // "No website available." (critical icon)
// Shown before the mail program starts (information icon).
QString emailNoticeText();

}  // namespace tessivar
