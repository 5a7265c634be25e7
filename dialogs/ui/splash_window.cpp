#include "dialogs/ui/splash_window.h"

#include "base/product.h"
#include "platform/ui/artwork.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace tessivar {

namespace {
constexpr int statusHeight = 22;
}

SplashWindow::SplashWindow(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
  setObjectName(QStringLiteral("frmSplash"));
  setWindowTitle(product::applicationName());
  setWindowModality(Qt::ApplicationModal);
  setFixedSize(artwork::splashWidth, artwork::splashHeight + statusHeight);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(0x0b, 0x1f, 0x4d));
  colours.setColor(QPalette::WindowText, QColor(220, 225, 255));
  setPalette(colours);

  image1_ = new QLabel(this);
  image1_->setObjectName(QStringLiteral("Image1"));
  image1_->setAccessibleName(QStringLiteral("Image1"));
  image1_->setPixmap(artwork::splashPicture());
  image1_->setFixedSize(artwork::splashWidth, artwork::splashHeight);
  // Centred across the window's width.
  image1_->move((width() - artwork::splashWidth) / 2, 0);

  lblS_ = new QLabel(QStringLiteral("Starting.."), this);
  lblS_->setObjectName(QStringLiteral("lblS"));
  lblS_->setGeometry(8, artwork::splashHeight, width() - 16, statusHeight);
  lblS_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  timer1_ = new QTimer(this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setInterval(1000);
  connect(timer1_, &QTimer::timeout, this, &SplashWindow::onTimer1);

  if (const QScreen *screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

SplashWindow::~SplashWindow() = default;

void SplashWindow::setStatus(const QString &text)
{
  lblS_->setText(text);
}

QString SplashWindow::status() const
{
  return lblS_->text();
}

QPixmap SplashWindow::picture() const
{
  return image1_->pixmap();
}

void SplashWindow::showEvent(QShowEvent *event)
{
  QWidget::showEvent(event);
  if (!timer1_->isActive()) timer1_->start();
}

void SplashWindow::onTimer1()
{
  timer1_->stop();
  emit checksDue();
}

}  // namespace tessivar
