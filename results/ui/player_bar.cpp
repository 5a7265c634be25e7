#include "results/ui/player_bar.h"

#include "results/built_in_player.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

namespace tessivar {

namespace {

QLabel *makeLabel(const QString &name, QWidget *parent)
{
  auto *label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setMinimumWidth(1);
  return label;
}

QToolButton *makeButton(const QString &name, QStyle::StandardPixmap icon, QWidget *parent)
{
  auto *button = new QToolButton(parent);
  button->setObjectName(name);
  button->setIcon(parent->style()->standardIcon(icon));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

}  // namespace

PlayerBar::PlayerBar(BuiltInPlayer &player, QWidget *parent)
    : QWidget(parent),
      player_(player),
      station_(makeLabel(QStringLiteral("lblPlayerStation"), this)),
      title_(makeLabel(QStringLiteral("lblPlayerTitle"), this)),
      state_(makeLabel(QStringLiteral("lblPlayerState"), this)),
      playPause_(makeButton(QStringLiteral("cmdPlayerPause"), QStyle::SP_MediaPause, this)),
      stop_(makeButton(QStringLiteral("cmdPlayerStop"), QStyle::SP_MediaStop, this)),
      volume_(new QSlider(Qt::Horizontal, this)),
      mute_(makeButton(QStringLiteral("chkPlayerMute"), QStyle::SP_MediaVolumeMuted, this))
{
  setObjectName(QStringLiteral("playerBar"));
  setAccessibleName(QStringLiteral("Player"));
  QFont bold = station_->font();
  bold.setBold(true);
  station_->setFont(bold);
  stop_->setText(QStringLiteral("Stop"));
  stop_->setAccessibleName(QStringLiteral("Stop"));
  mute_->setText(QStringLiteral("Mute"));
  mute_->setAccessibleName(QStringLiteral("Mute"));
  mute_->setCheckable(true);
  volume_->setObjectName(QStringLiteral("sldVolume"));
  volume_->setAccessibleName(QStringLiteral("Volume"));
  volume_->setRange(0, 100);
  volume_->setPageStep(10);
  volume_->setMaximumWidth(120);

  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(4, 2, 4, 2);
  row->addWidget(playPause_);
  row->addWidget(stop_);
  row->addWidget(station_);
  row->addWidget(title_, 1);
  row->addWidget(state_);
  row->addWidget(mute_);
  row->addWidget(volume_);

  connect(playPause_, &QToolButton::clicked, &player_, &BuiltInPlayer::togglePause);
  connect(stop_, &QToolButton::clicked, &player_, &BuiltInPlayer::stop);
  connect(volume_, &QSlider::valueChanged, &player_, &BuiltInPlayer::setVolume);
  connect(mute_, &QToolButton::toggled, &player_, &BuiltInPlayer::setMuted);
  connect(&player_, &BuiltInPlayer::changed, this, &PlayerBar::showPlayer);
  showPlayer();
}

void PlayerBar::showPlayer()
{
  station_->setText(player_.stationName());
  title_->setText(player_.streamTitle());
  // A narrow window cuts the title short: the whole of it is a hover away.
  title_->setToolTip(title_->text());
  state_->setText(player_.stateText());
  const bool pauses = player_.state() != EmbeddedPlayState::Paused && player_.isActive();
  playPause_->setText(pauses ? QStringLiteral("Pause") : QStringLiteral("Play"));
  playPause_->setAccessibleName(playPause_->text());
  playPause_->setIcon(style()->standardIcon(pauses ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
  playPause_->setEnabled(pauses || !player_.url().isEmpty());
  stop_->setEnabled(player_.isActive());
  if (volume_->value() != player_.volume()) volume_->setValue(player_.volume());
  if (mute_->isChecked() != player_.muted()) mute_->setChecked(player_.muted());
}

}  // namespace tessivar
