#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace tessivar {

// The frameless splash window shown while start-up finds the data server. One second after it
// is shown its Timer1 switches itself off and announces that the start-up checks are due; the
// status label lblS tells the user what the checks are doing.
class SplashWindow final : public QWidget
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(SplashWindow)

 public:
  explicit SplashWindow(QWidget *parent = nullptr);
  ~SplashWindow() override;

  void setStatus(const QString &text);
  QString status() const;
  QPixmap picture() const;
  QTimer *timer1() const { return timer1_; }

 public slots:
  // Timer1's tick: switches the timer off and emits checksDue().
  void onTimer1();

 signals:
  void checksDue();

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  QLabel *image1_ = nullptr;
  QLabel *lblS_ = nullptr;
  QTimer *timer1_ = nullptr;
};

}  // namespace tessivar
