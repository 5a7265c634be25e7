#include "app/ui/tray_icon.h"

#include "base/product.h"

#include <QSystemTrayIcon>

namespace tessivar {

TrayIcon::TrayIcon(QObject *parent) : QObject(parent), icon_(new QSystemTrayIcon(this))
{
  setObjectName(QStringLiteral("TrayX1"));
  icon_->setObjectName(QStringLiteral("TrayX1Icon"));
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) emit clicked();
  });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setIcon(const QIcon &icon)
{
  icon_->setIcon(icon);
}
void TrayIcon::setToolTip(const QString &text)
{
  icon_->setToolTip(text);
}
QString TrayIcon::toolTip() const
{
  return icon_->toolTip();
}

void TrayIcon::showNowPlaying(const QString &station, const QString &title)
{
  QStringList known;
  for (const QString &part : {station.simplified(), title.simplified()}) {
    if (!part.isEmpty()) known << part;
  }
  setToolTip(known.isEmpty() ? product::trayToolTip() : known.join(QStringLiteral(" — ")));
}

bool TrayIcon::isAvailable() const
{
  return availability_.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void TrayIcon::show()
{
  if (!isAvailable()) return;
  shown_ = true;
  if (!availability_) icon_->show();
}

void TrayIcon::hide()
{
  shown_ = false;
  icon_->hide();
}

}  // namespace tessivar
