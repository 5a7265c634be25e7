#include "dialogs/ui/about_window.h"

#include "base/twips.h"
#include "dialogs/ui/artwork.h"
#include "dialogs/ui/window_twips.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

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

  cmdCancel = new QPushButton(QStringLiteral("&OK"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  cmdCancel->setDefault(true);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::accept);

  auto *layout = new QVBoxLayout(this);
  // The picture is centred across the window's width.
  layout->addWidget(Image1, 0, Qt::AlignHCenter | Qt::AlignTop);
  layout->addStretch(1);
  layout->addWidget(cmdCancel, 0, Qt::AlignHCenter);
  holdSize();
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::holdSize()
{
  const double dpi = window_twips::screenDpi(this);
  setFixedSize(twips::toPixels(widthTwips, dpi), twips::toPixels(heightTwips, dpi));
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
