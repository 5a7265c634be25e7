#pragma once

#include <QIcon>
#include <QObject>

#include <optional>

class QSystemTrayIcon;

namespace tessivar {

// The tray icon TrayX1. It exists for the window's whole life and is only shown while the window
// is minimised to the tray. On a desktop without a tray nothing is shown, and isAvailable() says
// so, so the window is never hidden where no icon could bring it back.
class TrayIcon final : public QObject
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TrayIcon)

 public:
  explicit TrayIcon(QObject *parent = nullptr);
  ~TrayIcon() override;

  void setIcon(const QIcon &icon);
  void setToolTip(const QString &text);
  QString toolTip() const;
  // "station — title" while something plays (either alone when the other is not known), the
  // program's own tooltip when both are empty.
  void showNowPlaying(const QString &station, const QString &title);

  bool isAvailable() const;
  // Tests: pretend a tray is (or is not) there. The desktop's own icon is then never shown.
  void setAvailability(std::optional<bool> available) { availability_ = available; }

  void show();
  void hide();
  bool isShown() const { return shown_; }

 signals:
  // The user clicked (or double-clicked) the icon.
  void clicked();

 private:
  QSystemTrayIcon *icon_ = nullptr;
  std::optional<bool> availability_;
  bool shown_ = false;
};

}  // namespace tessivar
