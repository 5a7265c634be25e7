#include "dialogs/ui/about_window.h"

#include "base/twips.h"
#include "dialogs/ui/window_twips.h"
#include "platform/ui/artwork.h"
#include "platform/ui/screen_dpi.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace tessivar {

AboutWindow::AboutWindow(const QPixmap &picture, QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setAccessibleName(QStringLiteral("Image1"));
  Image1->setPixmap(picture.isNull() ? artwork::splashPicture() : picture);
  Image1->resize(Image1->pixmap().size());

  cmdCancel = new QPushButton(QStringLiteral("&OK"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  cmdCancel->setDefault(true);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::accept);

  holdSize();
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::holdSize()
{
  const double dpi = screenDpi(this);
  setFixedSize(twips::toPixels(widthTwips, dpi), twips::toPixels(heightTwips, dpi));
  // The picture centred across the window's width near the top, OK centred below it.
  constexpr int margin = 8;
  Image1->move((width() - Image1->width()) / 2, margin);
  const QSize button = cmdCancel->sizeHint();
  cmdCancel->setGeometry((width() - button.width()) / 2,
                         std::max(Image1->geometry().bottom() + margin, height() - button.height() - margin),
                         button.width(), button.height());
}

void AboutWindow::showEvent(QShowEvent *event)
{
  QDialog::showEvent(event);
  holdSize();
  // The same twips are more or fewer pixels on another screen.
  if (QWindow *window = windowHandle(); window != nullptr && !followsScreen_) {
    followsScreen_ = true;
    connect(window, &QWindow::screenChanged, this, &AboutWindow::holdSize);
  }
}

}  // namespace tessivar
