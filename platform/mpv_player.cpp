#include "platform/mpv_player.h"

#include "platform/stream_address.h"

#include <QByteArray>
#include <QMetaObject>

#include <mpv/client.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tessivar {

namespace {

// The reports the player watches, by the number each observation is registered with.
enum Observed : std::uint64_t {
  TimePos = 1,
  Duration,
  PausedForCache,
  CacheBuffering,
  AudioBitrate,
  VideoBitrate,
  IcyTitle,
  Pause,
  CurrentAudioOutput,
};

struct Observation
{
  Observed id;
  const char *name;
  mpv_format format;
};

constexpr Observation observations[] = {
    {TimePos, "time-pos", MPV_FORMAT_DOUBLE},
    {Duration, "duration", MPV_FORMAT_DOUBLE},
    {PausedForCache, "paused-for-cache", MPV_FORMAT_FLAG},
    {CacheBuffering, "cache-buffering-state", MPV_FORMAT_INT64},
    {AudioBitrate, "audio-bitrate", MPV_FORMAT_DOUBLE},
    {VideoBitrate, "video-bitrate", MPV_FORMAT_DOUBLE},
    {IcyTitle, "metadata/by-key/icy-title", MPV_FORMAT_STRING},
    {Pause, "pause", MPV_FORMAT_FLAG},
    {CurrentAudioOutput, "current-ao", MPV_FORMAT_STRING},
};

// The engine waits this long for its buffer before it resumes (its "cache-pause-wait").
constexpr double bufferWaitSeconds = 1.0;

double doubleOf(const mpv_event_property &property)
{
  if (property.format != MPV_FORMAT_DOUBLE || property.data == nullptr) return 0;
  const double value = *static_cast<const double *>(property.data);
  return std::isfinite(value) && value > 0 ? value : 0;
}

bool flagOf(const mpv_event_property &property)
{
  return property.format == MPV_FORMAT_FLAG && property.data != nullptr &&
         *static_cast<const int *>(property.data) != 0;
}

QString errorTextOf(int error)
{
  QString text = QString::fromUtf8(mpv_error_string(error));
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

// The first playlist entry id in a command's result, -1 when it names none.
std::int64_t entryIdOf(const mpv_node &result)
{
  if (result.format != MPV_FORMAT_NODE_MAP || result.u.list == nullptr) return -1;
  const mpv_node_list &map = *result.u.list;
  for (int i = 0; i < map.num; ++i) {
    if (qstrcmp(map.keys[i], "playlist_entry_id") == 0 && map.values[i].format == MPV_FORMAT_INT64)
      return map.values[i].u.int64;
  }
  return -1;
}

}  // namespace

const std::vector<std::pair<const char *, const char *>> &MpvPlayer::options()
{
  // A player inside the program: no configuration, scripts, key bindings, terminal or window of
  // its own, and nothing fetched to resolve web pages. The engine's own scripts (on-screen
  // controls, statistics, console, profiles) run a thread of their own that nothing here uses, and
  // a player closed while they start leaves their memory behind.
  static const std::vector<std::pair<const char *, const char *>> list{
      {"config", "no"},
      {"load-scripts", "no"},
      {"osc", "no"},
      {"load-stats-overlay", "no"},
      {"load-osd-console", "no"},
      {"load-auto-profiles", "no"},
      {"ytdl", "no"},
      {"input-default-bindings", "no"},
      {"terminal", "no"},
      {"force-window", "no"},
      {"audio-display", "no"},
      {"idle", "yes"},
      {"load-unsafe-playlists", "no"},
      // A second of a stream tells what it holds: start playing then.
      {"demuxer-lavf-analyzeduration", "1"},
      // A live stream is played as it comes and never sought back: its buffer stays small, so
      // that hours of listening cost no more memory than minutes.
      {"demuxer-max-bytes", "16MiB"},
      {"demuxer-max-back-bytes", "2MiB"},
  };
  return list;
}

MpvPlayer *MpvPlayer::create(const EmbeddedPlayerSettings &settings, QObject *parent)
{
  mpv_handle *handle = mpv_create();
  if (handle == nullptr) return nullptr;
  const auto set = [handle](const char *name, const QString &value) {
    return mpv_set_option_string(handle, name, value.toUtf8().constData()) >= 0;
  };
  bool ok = true;
  for (const auto &[name, value] : MpvPlayer::options()) ok = set(name, QString::fromLatin1(value)) && ok;
  if (!settings.audioOutput.isEmpty()) ok = set("ao", settings.audioOutput) && ok;
  if (!settings.videoOutput.isEmpty()) ok = set("vo", settings.videoOutput) && ok;
  if (settings.untimed) ok = set("ao-null-untimed", QStringLiteral("yes")) && ok;
  if (!ok || mpv_initialize(handle) < 0) {
    mpv_terminate_destroy(handle);
    return nullptr;
  }
  for (const Observation &observation : observations)
    mpv_observe_property(handle, observation.id, observation.name, observation.format);
  return new MpvPlayer(handle, parent);
}

MpvPlayer::MpvPlayer(mpv_handle *handle, QObject *parent) : EmbeddedPlayer(parent), handle_(handle)
{
  mpv_set_wakeup_callback(handle_, &MpvPlayer::wakeup, this);
}

MpvPlayer::~MpvPlayer()
{
  // No wakeup may reach this object once it is gone; queued drains die with it.
  mpv_set_wakeup_callback(handle_, nullptr, nullptr);
  mpv_terminate_destroy(handle_);
}

void MpvPlayer::wakeup(void *context)
{
  // On libmpv's thread: only queue a drain to the player's own thread, once until it runs.
  auto *player = static_cast<MpvPlayer *>(context);
  if (player->drainQueued_.exchange(true)) return;
  QMetaObject::invokeMethod(player, &MpvPlayer::drainEvents, Qt::QueuedConnection);
}

void MpvPlayer::load(const QString &address)
{
  firstEntry_ = -1;
  lastEntry_ = -2;
  resetReports();
  if (!isStreamAddress(address)) {
    // Stop whatever played before, so a refused address never goes on playing the last one.
    send(QByteArray());
    fail(QStringLiteral("Not a stream address"));
    emit changed();
    return;
  }
  state_ = EmbeddedPlayState::Connecting;
  loadRequest_ = send(address.toUtf8());
  emit changed();
}

void MpvPlayer::stop()
{
  firstEntry_ = -1;
  lastEntry_ = -2;
  loadRequest_ = 0;  // a reply still on its way belongs to nothing now
  send(QByteArray());
  resetReports();
  emit changed();
}

std::uint64_t MpvPlayer::send(const QByteArray &address)
{
  // The engine may run commands out of order: one at a time, and of those not sent yet only the
  // newest counts.
  waiting_ = Command{address, ++lastRequest_};
  sendWaiting();
  return lastRequest_;
}

void MpvPlayer::sendWaiting()
{
  if (inFlight_ != 0 || !waiting_) return;
  const Command command = *std::exchange(waiting_, std::nullopt);
  const char *load[] = {"loadfile", command.address.constData(), "replace", nullptr};
  const char *stop[] = {"stop", nullptr};
  if (mpv_command_async(handle_, command.request, command.address.isEmpty() ? stop : load) < 0) {
    if (command.request == loadRequest_) fail(QStringLiteral("Cannot play this address"));
    return;
  }
  inFlight_ = command.request;
}

void MpvPlayer::setProxy(bool enabled, const QString &host, int port)
{
  const QString proxy = enabled ? QStringLiteral("http://%1:%2/").arg(host.trimmed()).arg(port) : QString();
  mpv_set_property_string(handle_, "http-proxy", proxy.toUtf8().constData());
}

void MpvPlayer::setPaused(bool paused)
{
  int flag = paused ? 1 : 0;
  mpv_set_property_async(handle_, 0, "pause", MPV_FORMAT_FLAG, &flag);
}

void MpvPlayer::setVolume(int percent)
{
  double volume = std::clamp(percent, 0, 100);
  mpv_set_property_async(handle_, 0, "volume", MPV_FORMAT_DOUBLE, &volume);
}

void MpvPlayer::setMuted(bool muted)
{
  int flag = muted ? 1 : 0;
  mpv_set_property_async(handle_, 0, "mute", MPV_FORMAT_FLAG, &flag);
}

bool MpvPlayer::setRecordingFile(const QString &path)
{
  return mpv_set_property_string(handle_, "stream-record", path.toUtf8().constData()) >= 0;
}

int MpvPlayer::bufferingPercent() const
{
  return state_ == EmbeddedPlayState::Buffering ? int(std::clamp<std::int64_t>(bufferingPercent_, 0, 100))
                                                : 0;
}

bool MpvPlayer::playsWithoutSound() const
{
  return audioOutput_ == "null" &&
         (state_ == EmbeddedPlayState::Playing || state_ == EmbeddedPlayState::Buffering);
}

int MpvPlayer::bufferingSecondsLeft() const
{
  if (state_ != EmbeddedPlayState::Buffering) return 0;
  const double missing =
      static_cast<double>(100 - std::clamp<std::int64_t>(bufferingPercent_, 0, 100)) / 100.0;
  return std::max(1, static_cast<int>(std::ceil(missing * bufferWaitSeconds)));
}

void MpvPlayer::resetReports()
{
  state_ = EmbeddedPlayState::Idle;
  started_ = loaded_ = restarted_ = pausedForCache_ = false;
  bufferingPercent_ = 0;
  position_ = length_ = audioBitrate_ = videoBitrate_ = 0;
  errorText_.clear();
  streamTitle_.clear();
}

void MpvPlayer::fail(const QString &text)
{
  state_ = EmbeddedPlayState::Failed;
  errorText_ = text;
}

void MpvPlayer::drainEvents()
{
  drainQueued_ = false;
  emitPending_ = false;
  for (;;) {
    const mpv_event *event = mpv_wait_event(handle_, 0);
    if (event == nullptr || event->event_id == MPV_EVENT_NONE) break;
    handleEvent(*event);
  }
  if (emitPending_) emit changed();
}

void MpvPlayer::handleEvent(const mpv_event &event)
{
  const EmbeddedPlayState before = state_;
  switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
      if (event.reply_userdata == inFlight_) {
        inFlight_ = 0;
        sendWaiting();
      }
      if (event.reply_userdata != loadRequest_ || state_ != EmbeddedPlayState::Connecting) break;
      if (event.error < 0) {
        fail(errorTextOf(event.error));
        break;
      }
      firstEntry_ = lastEntry_ = entryIdOf(static_cast<const mpv_event_command *>(event.data)->result);
      // An engine that does not name the entry: the next one it begins is ours.
      if (firstEntry_ < 0) {
        firstEntry_ = 1;
        lastEntry_ = std::numeric_limits<std::int64_t>::max();
      }
      break;
    case MPV_EVENT_START_FILE:
      if (isCurrentEntry(static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id))
        started_ = true;
      break;
    case MPV_EVENT_FILE_LOADED:
      if (started_) loaded_ = true;
      break;
    case MPV_EVENT_PLAYBACK_RESTART:
      if (loaded_) restarted_ = true;
      break;
    case MPV_EVENT_END_FILE:
      handleEndFile(event);
      break;
    case MPV_EVENT_PROPERTY_CHANGE:
      handleProperty(event);
      break;
    case MPV_EVENT_SHUTDOWN:
      if (state_ != EmbeddedPlayState::Idle) fail(QStringLiteral("The player has stopped"));
      break;
    default:
      break;
  }
  updatePlayState();
  if (state_ != before) emitPending_ = true;
}

void MpvPlayer::handleEndFile(const mpv_event &event)
{
  const auto &end = *static_cast<const mpv_event_end_file *>(event.data);
  if (!isCurrentEntry(end.playlist_entry_id)) return;
  switch (end.reason) {
    case MPV_END_FILE_REASON_REDIRECT:
      // A playlist: its entries take the place of the address.
      if (end.playlist_insert_num_entries > 0) {
        firstEntry_ = end.playlist_insert_id;
        lastEntry_ = end.playlist_insert_id + end.playlist_insert_num_entries - 1;
      }
      started_ = loaded_ = restarted_ = false;
      return;
    case MPV_END_FILE_REASON_ERROR:
      // The engine goes on with the playlist's next entry, if any.
      if (end.playlist_entry_id < lastEntry_) {
        started_ = loaded_ = restarted_ = false;
        return;
      }
      // No sound device, and no null output to fall back on.
      fail(end.error == MPV_ERROR_AO_INIT_FAILED ? QStringLiteral("No audio output")
                                                 : errorTextOf(end.error));
      return;
    case MPV_END_FILE_REASON_EOF:
      if (end.playlist_entry_id < lastEntry_) return;
      // A stream that closes before it ever played failed to play.
      if (!restarted_) {
        fail(QStringLiteral("No audio or video data played"));
        return;
      }
      state_ = EmbeddedPlayState::Ended;
      return;
    default:
      return;
  }
}

void MpvPlayer::handleProperty(const mpv_event &event)
{
  if (event.data == nullptr) return;
  const auto &property = *static_cast<const mpv_event_property *>(event.data);
  // The audio output stays open from one address to the next.
  if (event.reply_userdata == CurrentAudioOutput) {
    audioOutput_ = property.format == MPV_FORMAT_STRING && property.data != nullptr
                       ? QByteArray(*static_cast<const char *const *>(property.data))
                       : QByteArray();
    emitPending_ = true;
    return;
  }
  // Reports of an earlier address may still be queued before the current one has begun.
  if (!started_) return;
  switch (event.reply_userdata) {
    case TimePos:
      position_ = doubleOf(property);
      break;
    case Duration:
      length_ = doubleOf(property);
      break;
    case PausedForCache:
      pausedForCache_ = flagOf(property);
      break;
    case CacheBuffering:
      bufferingPercent_ = property.format == MPV_FORMAT_INT64 && property.data != nullptr
                              ? *static_cast<const std::int64_t *>(property.data)
                              : 0;
      break;
    case AudioBitrate:
      audioBitrate_ = doubleOf(property);
      break;
    case VideoBitrate:
      videoBitrate_ = doubleOf(property);
      break;
    case IcyTitle:
      streamTitle_ = property.format == MPV_FORMAT_STRING && property.data != nullptr
                         ? QString::fromUtf8(*static_cast<const char *const *>(property.data))
                         : QString();
      break;
    case Pause:
      paused_ = flagOf(property);
      break;
    default:
      return;
  }
  emitPending_ = true;
}

void MpvPlayer::updatePlayState()
{
  switch (state_) {
    case EmbeddedPlayState::Idle:
    case EmbeddedPlayState::Ended:
    case EmbeddedPlayState::Failed:
      return;
    default:
      break;
  }
  if (!loaded_)
    state_ = EmbeddedPlayState::Connecting;
  else if (paused_)
    state_ = EmbeddedPlayState::Paused;
  else if (!restarted_ || pausedForCache_)
    state_ = EmbeddedPlayState::Buffering;
  else
    state_ = EmbeddedPlayState::Playing;
}

}  // namespace tessivar
