#pragma once

#include "platform/embedded_player.h"

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

struct mpv_handle;
struct mpv_event;

namespace tessivar {

// A player over one libmpv instance. libmpv reports from its own thread: its wakeup callback only
// queues a drain to this object's thread, which takes every waiting event and then says changed().
class MpvPlayer final : public EmbeddedPlayer
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(MpvPlayer)

 public:
  // Takes an initialised handle, or makes none (nullptr) when the settings are refused.
  static MpvPlayer *create(const EmbeddedPlayerSettings &settings, QObject *parent);
  // The engine options every player of the program gets (before its audio and video outputs).
  static const std::vector<std::pair<const char *, const char *>> &options();
  ~MpvPlayer() override;

  void load(const QString &address) override;
  void stop() override;
  void setProxy(bool enabled, const QString &host, int port) override;
  void setPaused(bool paused) override;
  void setVolume(int percent) override;
  void setMuted(bool muted) override;
  bool setRecordingFile(const QString &path) override;

  [[nodiscard]] EmbeddedPlayState state() const override { return state_; }
  [[nodiscard]] int bufferingSecondsLeft() const override;
  [[nodiscard]] int bufferingPercent() const override;
  [[nodiscard]] double position() const override { return position_; }
  [[nodiscard]] double length() const override { return length_; }
  [[nodiscard]] double bandwidth() const override { return audioBitrate_ + videoBitrate_; }
  [[nodiscard]] QString errorText() const override { return errorText_; }
  [[nodiscard]] QString streamTitle() const override { return streamTitle_; }
  [[nodiscard]] bool playsWithoutSound() const override;

 private:
  MpvPlayer(mpv_handle *handle, QObject *parent);
  static void wakeup(void *context);
  void drainEvents();
  void handleEvent(const mpv_event &event);
  void handleProperty(const mpv_event &event);
  void handleEndFile(const mpv_event &event);
  bool isCurrentEntry(std::int64_t id) const { return id >= firstEntry_ && id <= lastEntry_; }
  void resetReports();
  void fail(const QString &text);
  void updatePlayState();

  mpv_handle *handle_ = nullptr;
  std::atomic<bool> drainQueued_{false};
  // A load (an address) or a stop (none), numbered; its reply names the playlist entries that are
  // ours.
  struct Command
  {
    QByteArray address;
    std::uint64_t request = 0;
  };
  // Sends a command once the one before has been answered; returns its number.
  std::uint64_t send(const QByteArray &address);
  void sendWaiting();

  std::uint64_t lastRequest_ = 0;
  std::uint64_t loadRequest_ = 0;  // the load whose reports count, 0 for none
  std::uint64_t inFlight_ = 0;     // the command the engine has not answered yet
  std::optional<Command> waiting_;
  std::int64_t firstEntry_ = -1;
  std::int64_t lastEntry_ = -2;
  bool started_ = false;  // the engine has begun the current entry
  bool loaded_ = false;   // ... and opened it
  bool restarted_ = false;
  bool pausedForCache_ = false;
  bool paused_ = false;
  bool emitPending_ = false;
  std::int64_t bufferingPercent_ = 0;
  EmbeddedPlayState state_ = EmbeddedPlayState::Idle;
  double position_ = 0;
  double length_ = 0;
  double audioBitrate_ = 0;
  double videoBitrate_ = 0;
  QString errorText_;
  QString streamTitle_;
  // The audio output the engine opened ("null" when it found no sound device); it outlives loads.
  QByteArray audioOutput_;
};

}  // namespace tessivar
