#pragma once

#include <QMainWindow>

namespace tessivar {

class MainWindow final : public QMainWindow
{
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(MainWindow)

public:
  explicit MainWindow(QWidget *parent = nullptr);
  ~MainWindow() override;
};

}  // namespace tessivar
