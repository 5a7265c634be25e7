#include "app/command_line.h"
#include "app/ui/application.h"
#include "base/product.h"
#include "platform/ui/window_accessibility.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

// What the command line asks for before any window: --version and --help answer without a display.
enum class EarlyAnswer { None, Version, Help };

EarlyAnswer earlyAnswer(int argc, char *argv[])
{
  for (int index = 1; index < argc; ++index) {
    const char *argument = argv[index];
    if (std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-v") == 0)
      return EarlyAnswer::Version;
    if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) return EarlyAnswer::Help;
  }
  return EarlyAnswer::None;
}

void printVersion()
{
  std::printf("%s %s\n", qUtf8Printable(tessivar::product::applicationName()),
              qUtf8Printable(tessivar::product::version()));
}

void printHelp()
{
  std::printf(
      "Usage: tessivar [OPTION]... [QT-OPTION]...\n"
      "A desktop client for a directory of Internet radio stations, TV channels and clips.\n"
      "\n"
      "  --directory HOST[:PORT]  use this directory server (and its web site) for this\n"
      "                           run, without changing the stored settings\n"
      "  --site HOST[:PORT]       use this web site for this run (with --directory: when\n"
      "                           the site is elsewhere)\n"
      "  -h, --help               show this help and exit\n"
      "  -v, --version            show the version and exit\n"
      "\n"
      "Everything else is set in the program's Setup dialog. Settings are kept in\n"
      "$XDG_CONFIG_HOME/Tessivar/Tessivar! Broadcast.conf, bookmarks in\n"
      "$XDG_DATA_HOME/Tessivar/Tessivar! Broadcast/Bookmarks.lst.\n"
      "Qt's own options (-platform, -style, ...) are accepted as well.\n");
}

}  // namespace

int main(int argc, char *argv[])
{
  switch (earlyAnswer(argc, argv)) {
    case EarlyAnswer::Version:
      printVersion();
      return 0;
    case EarlyAnswer::Help:
      printHelp();
      return 0;
    case EarlyAnswer::None:
      break;
  }

  QStringList arguments;
  for (int index = 1; index < argc; ++index) arguments << QString::fromLocal8Bit(argv[index]);
  QString error;
  const std::optional<tessivar::RunChoices> choices = tessivar::readRunChoices(arguments, &error);
  if (!choices) {
    std::fprintf(stderr, "tessivar: %s\nTry 'tessivar --help'.\n", qUtf8Printable(error));
    return 2;
  }

  QApplication app(argc, argv);
  QApplication::setOrganizationName(tessivar::product::organisationName());
  QApplication::setApplicationName(tessivar::product::applicationName());
  // The desktop entry: Wayland's application id, and the name the desktop's media controls show.
  QApplication::setDesktopFileName(QStringLiteral("tessivar"));
  // The splash and the start-up messages come and go before the main window shows.
  QApplication::setQuitOnLastWindowClosed(false);
  tessivar::installWindowAccessibility();

  tessivar::Application program(*choices);
  program.start();
  return QApplication::exec();
}
