#include "platform/mpris_adaptors.h"

#include "base/product.h"
#include "platform/mpris_service.h"

#include <QGuiApplication>

namespace tessivar {

MprisRootAdaptor::MprisRootAdaptor(MprisSource &player, QObject *parent)
    : QDBusAbstractAdaptor(parent), player_(player)
{
}

QString MprisRootAdaptor::identity() const
{
  return product::applicationName();
}

QString MprisRootAdaptor::desktopEntry() const
{
  return QGuiApplication::desktopFileName();
}

void MprisRootAdaptor::Raise()
{
  player_.raise();
}

void MprisRootAdaptor::Quit()
{
  player_.stop();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisSource &player, QObject *parent)
    : QDBusAbstractAdaptor(parent), player_(player)
{
}

QString MprisPlayerAdaptor::playbackStatus() const
{
  return player_.playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
  return player_.metadata();
}

double MprisPlayerAdaptor::volume() const
{
  return player_.volume();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
  player_.setVolume(volume);
}

bool MprisPlayerAdaptor::canGoNext() const
{
  return player_.canGoNext();
}

bool MprisPlayerAdaptor::canGoPrevious() const
{
  return player_.canGoPrevious();
}

bool MprisPlayerAdaptor::canPlay() const
{
  return player_.canPlay();
}

bool MprisPlayerAdaptor::canPause() const
{
  return player_.canPause();
}

void MprisPlayerAdaptor::Next()
{
  player_.next();
}

void MprisPlayerAdaptor::Previous()
{
  player_.previous();
}

void MprisPlayerAdaptor::Pause()
{
  player_.pause();
}

void MprisPlayerAdaptor::PlayPause()
{
  player_.playPause();
}

void MprisPlayerAdaptor::Stop()
{
  player_.stop();
}

void MprisPlayerAdaptor::Play()
{
  player_.play();
}

}  // namespace tessivar
