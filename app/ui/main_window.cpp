#include "main_window.h"

namespace tessivar {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Tessivar! Broadcast v3.7"));
}

MainWindow::~MainWindow() = default;

}  // namespace tessivar
