#pragma once

#include "platform/mpris_service.h"

#include <functional>

namespace tessivar {

class BuiltInPlayer;

// The built-in player as a media player on the session bus, registered while it plays or is
// paused. Play, Pause and PlayPause hold and resume it, Stop and Quit stop it, Volume is its own;
// Raise shows the window given.
class BuiltInPlayerMpris final : public MprisSource
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(BuiltInPlayerMpris)

 public:
  BuiltInPlayerMpris(BuiltInPlayer &player, std::function<void()> raiseWindow, QObject *parent = nullptr);

  QString serviceName() const { return service_->serviceName(); }

  QString playbackStatus() const override;
  QVariantMap metadata() const override;
  bool canPause() const override;
  double volume() const override;

  void play() override;
  void pause() override;
  void playPause() override;
  void stop() override;
  void raise() override;
  void setVolume(double volume) override;

 private:
  void onPlayerChanged();

  BuiltInPlayer &player_;
  std::function<void()> raiseWindow_;
  MprisService *service_;
  QString lastUrl_;
  int streamNumber_ = 0;
};

}  // namespace tessivar
