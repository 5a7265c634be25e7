#include "results/link_text.h"

#include "platform/web_address.h"
#include "results/result_table_model.h"
#include "results/results_layout.h"

namespace tessivar {

namespace {

constexpr auto lineEnd = QStringView(u"\r\n");

QString courtesyNotice(LinkTextKind kind)
{
  return kind == LinkTextKind::Copy
             ? QStringLiteral(
                   "Tessivar! Broadcast is a product of Halvorne. Copyright (C) 1999-2003 Halvorne. "
                   "All rights reserved.")
             : QStringLiteral("(C) 1999-2003 Halvorne.");
}

}  // namespace

bool isLinkRow(const ResultTableModel &model, int row)
{
  return row >= 1 && !model.text(ResultTableModel::modelRow(row), results_layout::statusLinkColumn).isEmpty();
}

QString linkText(LinkTextKind kind, ResultLayout layout, const ResultTableModel &model, int row,
                 const QString &makerSite)
{
  const ResultRow result = model.resultAt(row, layout);
  const QString addressLabel =
      kind == LinkTextKind::Copy ? QStringLiteral("URL : ") : QStringLiteral("Link : ");
  QString text;
  const auto line = [&text](QStringView label, const QString &value) {
    text += label;
    text += value;
    text += lineEnd;
  };
  if (layout == ResultLayout::Archive) {
    line(u"Name : ", result.name);
    line(u"Info : ", result.itemId);
    line(addressLabel, result.streamUrl);
    line(u"Found on : ", result.website);
  } else {
    line(u"Name : ", result.name);
    line(addressLabel, result.streamUrl);
    line(u"Found on : ", result.website);
  }
  text += lineEnd;
  text += u'-';
  text += lineEnd;
  text += QStringLiteral("This link courtesy Tessivar! Broadcast - ") + makerSite;
  text += lineEnd;
  text += courtesyNotice(kind);
  return text;
}

std::optional<QString> rowWebsiteAddress(const ResultTableModel &model, ResultLayout layout, int row)
{
  const QString website = model.resultAt(row, layout).website;
  if (!results_layout::isPreviewableWebsite(website)) return std::nullopt;
  return openableWebAddress(website);
}

QString noItemSelectedText()
{
  return QStringLiteral("No item selected.");
}

QString noWebsiteText()
{
  return QStringLiteral("No website available.");
}

QString emailNoticeText()
{
  return QStringLiteral(
      "Tessivar! Broadcast will now start your mail program, to insert the link press CTRL+V or paste it "
      "into the message.");
}

}  // namespace tessivar
