#pragma once

#include "platform/mpris_service.h"

#include <QPointer>
#include <QString>

namespace tessivar {

class ScanWindow;

// The scanner as a media player on the session bus while its window is open. Play, Pause and
// PlayPause are the scanner's Pause and Resume, Next and Previous its own, Stop and Quit close it.
class ScannerMpris final : public MprisSource
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(ScannerMpris)

 public:
  // A child of the window; registers at once when a session bus is there.
  explicit ScannerMpris(ScanWindow &window);

  // The bus name held; empty when not registered.
  QString serviceName() const { return service_->serviceName(); }

  QString playbackStatus() const override;
  QVariantMap metadata() const override;
  bool canGoNext() const override;
  bool canGoPrevious() const override;
  bool canPause() const override;

  void play() override;
  void pause() override;
  void playPause() override;
  void next() override;
  void previous() override;
  void stop() override;
  void raise() override;

 private:
  void onStationChanged();

  QPointer<ScanWindow> window_;
  MprisService *service_;
  QString streamTitle_;
  int stationNumber_ = 0;
  QString lastAddress_;
  QString lastName_;
};

}  // namespace tessivar
