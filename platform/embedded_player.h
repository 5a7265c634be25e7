#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace tessivar {

// What an embedded player is doing with the address it was given.
enum class EmbeddedPlayState {
  Idle,        // nothing loaded, or stopped
  Connecting,  // opening the address
  Buffering,   // opened; filling its buffer before (or again while) playing
  Playing,
  Paused,
  Ended,   // the stream or file came to its end after it had opened
  Failed,  // it could not be played; errorText() says why
};

// How an engine's players are set up. Empty texts leave the engine's own choice.
struct EmbeddedPlayerSettings
{
  QString audioOutput;  // "null" plays to nothing (tests); empty = the desktop's sound
  QString videoOutput;  // "null" shows no video
  // The null audio output takes the stream as fast as it arrives instead of in real time
  // (benchmarks).
  bool untimed = false;
};

// One player inside the program's own windows. Its reports change as it plays and are read
// through the getters; changed() is emitted on the owner's thread after any of them changed.
class EmbeddedPlayer : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(EmbeddedPlayer)

 public:
  explicit EmbeddedPlayer(QObject *parent = nullptr) : QObject(parent) {}
  ~EmbeddedPlayer() override = default;

  // Starts playing the address in place of anything before it. The reports start over:
  // Connecting, no error, no position, length, bandwidth or title.
  virtual void load(const QString &address) = 0;
  // Stops playing; the state becomes Idle and the reports start over.
  virtual void stop() = 0;
  // Proxy for the following loads: the HTTP proxy at host:port, or direct when disabled.
  virtual void setProxy(bool enabled, const QString &host, int port) = 0;
  // Holds or resumes what plays; the state becomes Paused while held.
  virtual void setPaused(bool paused) = 0;
  // Loudness from 0 to 100, and silence; both outlive loads.
  virtual void setVolume(int percent) = 0;
  virtual void setMuted(bool muted) = 0;
  // Saves the stream as it plays into the file, in the stream's own format, until set to an empty
  // path or another load; false when the engine refuses the file.
  virtual bool setRecordingFile(const QString &path) = 0;

  [[nodiscard]] virtual EmbeddedPlayState state() const = 0;
  // While buffering: the whole seconds still to fill, at least 1; 0 otherwise.
  [[nodiscard]] virtual int bufferingSecondsLeft() const = 0;
  // While buffering: how full the buffer is, 0 to 100.
  [[nodiscard]] virtual int bufferingPercent() const = 0;
  // Seconds played so far, and the stream's length in seconds; 0 while unknown (a live stream has
  // no length).
  [[nodiscard]] virtual double position() const = 0;
  [[nodiscard]] virtual double length() const = 0;
  // Average bit rate of what is played, in bits per second; 0 while unknown.
  [[nodiscard]] virtual double bandwidth() const = 0;
  // Why the address could not be played; empty unless the state is Failed.
  [[nodiscard]] virtual QString errorText() const = 0;
  // The stream's own now-playing title (ICY metadata), empty when it sends none.
  [[nodiscard]] virtual QString streamTitle() const = 0;
  // The engine plays to its null output: there is no sound device, and nothing is heard.
  [[nodiscard]] virtual bool playsWithoutSound() const = 0;

 signals:
  void changed();
};

// The engine that makes players for the program's own windows (the scanner).
class EmbeddedPlayerEngine
{
 public:
  virtual ~EmbeddedPlayerEngine() = default;
  // Whether a player can be made here: the engine is installed and starts.
  virtual bool available() = 0;
  // A new idle player owned by parent, or none when the engine cannot make one.
  virtual EmbeddedPlayer *createPlayer(QObject *parent) = 0;
};

// The real engine: libmpv.
class MpvPlayerEngine final : public EmbeddedPlayerEngine
{
 public:
  MpvPlayerEngine() = default;
  explicit MpvPlayerEngine(EmbeddedPlayerSettings settings) : settings_(std::move(settings)) {}

  const EmbeddedPlayerSettings &settings() const { return settings_; }
  void setSettings(const EmbeddedPlayerSettings &settings) { settings_ = settings; }

  bool available() override;
  EmbeddedPlayer *createPlayer(QObject *parent) override;

 private:
  EmbeddedPlayerSettings settings_;
};

}  // namespace tessivar
