#pragma once

#include "search/browse_pages.h"

#include <QGroupBox>
#include <QList>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessivar {

// The browse bar frameLib ("Select Letter to Browse "): the 36 letter and digit labels Label1
// (flat buttons, so keyboard users and screen readers reach them too),
// the page buttons cmdP ("Previous", "Next"), the page box txtPage with lblP and cmdGo, and the
// page label lblBrowse. Controls are placed in twips of the screen's logical resolution.
class BrowseBar final : public QGroupBox
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(BrowseBar)

 public:
  static constexpr int labelCount = 36;

  // Where letter label `index` stands, in twips: 30 + 220 × index for "A" to "Z",
  // 220 × (index + 1) for "0" to "9"; every label 255 wide, 250 from the top.
  static int labelLeftTwips(int index);
  static constexpr int labelTopTwips = 250;
  static constexpr int labelWidthTwips = 255;
  // "A" to "Z" for 0 to 25, "0" to "9" for 26 to 35.
  static QString labelCaption(int index);

  explicit BrowseBar(QWidget *parent = nullptr);
  ~BrowseBar() override;

  // Places every control for the given logical resolution (dots per inch).
  void layOut(double dpi);

  QAbstractButton *letterLabel(int index) const { return labels_.value(index); }
  QPushButton *pageButton(int index) const { return index == 0 ? previous_ : index == 1 ? next_ : nullptr; }
  QPushButton *goButton() const { return go_; }
  QLineEdit *pageBox() const { return page_; }
  QLabel *pageLabel() const { return browse_; }

  // BrowseLetter, CurrentPage and TotalPages of the letter being browsed.
  BrowsePages &pages() { return pages_; }
  const BrowsePages &pages() const { return pages_; }
  // Keeps the page count and writes "Current Page : (" + CurrentPage + " of " + total + ")".
  void showTotalPages(const QString &totalPages);
  // A page request has ended. After a failure the label shows the page in force again, not the
  // one that did not arrive (no page at all after a letter whose first page failed).
  void pageRequestEnded(bool succeeded);
  // BrowseEnabled for the bar's own controls: off disables Go, Previous, Next and the page box;
  // on enables Go and the page box, Previous after page 1 and Next before the last page.
  void setBrowseEnabled(bool on);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void letterClicked(int index);
  void pageButtonClicked(int index);  // 0 "Previous", 1 "Next"
  void goClicked();

 private:
  QList<QAbstractButton *> labels_;
  QPushButton *previous_ = nullptr;
  QPushButton *next_ = nullptr;
  QPushButton *go_ = nullptr;
  QLineEdit *page_ = nullptr;
  QLabel *pageCaption_ = nullptr;
  QLabel *browse_ = nullptr;
  BrowsePages pages_;
  double dpi_ = 96.0;
};

}  // namespace tessivar
