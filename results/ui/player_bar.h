#pragma once

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

namespace tessivar {

class BuiltInPlayer;

// The built-in player's bar: the station's name, the title now playing and the state, with
// Play/Pause, Stop, a volume slider and Mute.
class PlayerBar final : public QWidget
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(PlayerBar)

 public:
  explicit PlayerBar(BuiltInPlayer &player, QWidget *parent = nullptr);

 private:
  void showPlayer();

  BuiltInPlayer &player_;
  QLabel *station_;
  QLabel *title_;
  QLabel *state_;
  QToolButton *playPause_;
  QToolButton *stop_;
  QSlider *volume_;
  QToolButton *mute_;
};

}  // namespace tessivar
