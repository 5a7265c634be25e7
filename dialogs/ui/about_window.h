#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

namespace tessivar {

// frmAbout: the product picture above "&OK", at a fixed 5700 × 3000 twips on whichever screen it
// shows on.
class AboutWindow final : public QDialog
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(AboutWindow)

 public:
  static constexpr double widthTwips = 5700;
  static constexpr double heightTwips = 3000;

  // The picture the splash showed at start-up; the product picture when there is none.
  explicit AboutWindow(const QPixmap &picture, QWidget *parent = nullptr);
  ~AboutWindow() override;

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  void holdSize();

  bool followsScreen_ = false;
  QLabel *Image1 = nullptr;
  QPushButton *cmdCancel = nullptr;
};

}  // namespace tessivar
