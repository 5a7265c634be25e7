#include "platform/shell_open.h"

#include "base/product.h"
#include "platform/prompter.h"
#include "platform/shell_opener.h"

#include <QCursor>
#include <QGuiApplication>

#include <exception>

namespace tessivar {

namespace {

// Shows the busy pointer for as long as it lives.
class BusyPointer
{
 public:
  BusyPointer() : active_(qGuiApp != nullptr)
  {
    if (active_) QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  }
  ~BusyPointer()
  {
    if (active_) QGuiApplication::restoreOverrideCursor();
  }
  BusyPointer(const BusyPointer &) = delete;
  BusyPointer &operator=(const BusyPointer &) = delete;

 private:
  bool active_;
};

}  // namespace

QString shellOpenFailureText()
{
  return QStringLiteral("Error Executing Application or File Not Found");
}

bool shellOpen(ShellOpener &opener, Prompter &prompter, const QString &target)
{
  bool opened = false;
  {
    const BusyPointer busy;
    try {
      opened = opener.open(target);
    } catch (const std::exception &) {
      opened = false;
    }
  }
  if (!opened) prompter.ask(PromptIcon::None, product::applicationTitle(), shellOpenFailureText());
  return opened;
}

}  // namespace tessivar
