#include "app/ui/browse_bar.h"

#include "app/ui/twips_geometry.h"
#include "platform/ui/screen_dpi.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>

namespace tessivar {

namespace {

// Where the page controls stand, in twips: left, top, width, height.
constexpr TwipsRect pageLabelRect{30, 620, 2900, 300};
constexpr TwipsRect previousRect{3000, 590, 1000, 360};
constexpr TwipsRect nextRect{4060, 590, 1000, 360};
constexpr TwipsRect pageCaptionRect{5300, 620, 1000, 300};
constexpr TwipsRect pageBoxRect{6320, 590, 600, 360};
constexpr TwipsRect goRect{7000, 590, 600, 360};
constexpr double barWidthTwips = 8400;
constexpr double barHeightTwips = 1080;

// A browse letter: underlined dark blue text like a link, which the mouse, the keyboard (Tab,
// then Space or Enter) and a screen reader can press. Its accessible name is its letter.
class LetterLabel final : public QToolButton
{
 public:
  LetterLabel(int index, BrowseBar *bar) : QToolButton(bar)
  {
    setText(BrowseBar::labelCaption(index));
    setObjectName(QStringLiteral("Label1_") + QString::number(index));
    setAccessibleName(text());
    setAutoRaise(true);
    setFocusPolicy(Qt::StrongFocus);
    QFont letterFont = font();
    letterFont.setPointSize(8);
    letterFont.setUnderline(true);
    setFont(letterFont);
    QPalette colours = palette();
    colours.setColor(QPalette::ButtonText, QColor(0, 0, 128));
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QToolButton::clicked, bar, [bar, index] { emit bar->letterClicked(index); });
  }

 protected:
  void keyPressEvent(QKeyEvent *event) override
  {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      click();
      return;
    }
    QToolButton::keyPressEvent(event);
  }
};

}  // namespace

int BrowseBar::labelLeftTwips(int index)
{
  return index < 26 ? 30 + 220 * index : 220 * (index + 1);
}

QString BrowseBar::labelCaption(int index)
{
  return QString(QChar(index < 26 ? 65 + index : index + 22));
}

BrowseBar::BrowseBar(QWidget *parent) : QGroupBox(QStringLiteral("Select Letter to Browse "), parent)
{
  setObjectName(QStringLiteral("frameLib"));
  setAccessibleName(QStringLiteral("frameLib"));
  for (int index = 0; index < labelCount; ++index) labels_ << new LetterLabel(index, this);

  previous_ = new QPushButton(QStringLiteral("Previous"), this);
  previous_->setObjectName(QStringLiteral("cmdP0"));
  next_ = new QPushButton(QStringLiteral("Next"), this);
  next_->setObjectName(QStringLiteral("cmdP1"));
  go_ = new QPushButton(QStringLiteral("Go"), this);
  go_->setObjectName(QStringLiteral("cmdGo"));
  page_ = new QLineEdit(QStringLiteral("1"), this);
  page_->setObjectName(QStringLiteral("txtPage"));
  page_->setAccessibleName(QStringLiteral("Go to page"));
  page_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), page_));
  pageCaption_ = new QLabel(QStringLiteral("Go to page"), this);
  pageCaption_->setObjectName(QStringLiteral("lblP"));
  pageCaption_->setBuddy(page_);
  browse_ = new QLabel(pages_.pageLabelText(), this);
  browse_->setObjectName(QStringLiteral("lblBrowse"));

  connect(previous_, &QPushButton::clicked, this, [this] { emit pageButtonClicked(0); });
  connect(next_, &QPushButton::clicked, this, [this] { emit pageButtonClicked(1); });
  connect(go_, &QPushButton::clicked, this, &BrowseBar::goClicked);
  connect(page_, &QLineEdit::returnPressed, this, &BrowseBar::goClicked);
  setBrowseEnabled(true);  // no letter yet: neither Previous nor Next

  layOut(screenDpi(this));
}

BrowseBar::~BrowseBar() = default;

void BrowseBar::layOut(double dpi)
{
  dpi_ = dpi;
  const int top = twipsToPixels(labelTopTwips, dpi);
  for (int index = 0; index < labels_.size(); ++index) {
    QAbstractButton *label = labels_.at(index);
    const int height = label->fontMetrics().height() + 2;
    label->setGeometry(twipsToPixels(labelLeftTwips(index), dpi), top, twipsToPixels(labelWidthTwips, dpi),
                       height);
  }
  browse_->setGeometry(twipsToPixels(pageLabelRect, dpi));
  previous_->setGeometry(twipsToPixels(previousRect, dpi));
  next_->setGeometry(twipsToPixels(nextRect, dpi));
  pageCaption_->setGeometry(twipsToPixels(pageCaptionRect, dpi));
  page_->setGeometry(twipsToPixels(pageBoxRect, dpi));
  go_->setGeometry(twipsToPixels(goRect, dpi));
  updateGeometry();
}

void BrowseBar::showTotalPages(const QString &totalPages)
{
  pages_.setTotalPages(totalPages);
  browse_->setText(pages_.pageLabelText());
}

void BrowseBar::pageRequestEnded(bool succeeded)
{
  pages_.finished(succeeded);
  if (!succeeded) browse_->setText(pages_.pageLabelText());
}

void BrowseBar::setBrowseEnabled(bool on)
{
  go_->setEnabled(on);
  page_->setEnabled(on);
  previous_->setEnabled(on && pages_.previousEnabled());
  next_->setEnabled(on && pages_.nextEnabled());
}

QSize BrowseBar::sizeHint() const
{
  return {twipsToPixels(barWidthTwips, dpi_), twipsToPixels(barHeightTwips, dpi_)};
}

QSize BrowseBar::minimumSizeHint() const
{
  return sizeHint();
}

}  // namespace tessivar
