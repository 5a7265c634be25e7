#include "results/player_command.h"

#include "platform/process_starter.h"

#include <QStringView>

namespace tessivar {

namespace {

bool isBlankOrQuote(QChar c)
{
  return c == u' ' || c == u'"';
}

// The program of a Windows command line begins with a drive ("C:\", "C:/") or a share ("\\").
bool isWindowsCommand(const QString &line)
{
  qsizetype start = 0;
  while (start < line.size() && isBlankOrQuote(line.at(start))) ++start;
  const QStringView rest = QStringView(line).mid(start);
  if (rest.startsWith(u"\\\\")) return true;
  return rest.size() >= 3 && rest.at(0).unicode() < 128 && rest.at(0).isLetter() && rest.at(1) == u':' &&
         (rest.at(2) == u'\\' || rest.at(2) == u'/');
}

// Cut after the first ".EXE", then leading blanks and quotes removed.
QString windowsProgram(const QString &line)
{
  const qsizetype exe = line.indexOf(QStringLiteral(".EXE"), 0, Qt::CaseInsensitive);
  if (exe < 0) return {};
  QString program = line.left(exe + 4);
  qsizetype start = 0;
  while (start < program.size() && isBlankOrQuote(program.at(start))) ++start;
  return program.mid(start);
}

// The markers a flatpak export puts around the forwarded files: "@@u %U @@".
bool isForwardingMarker(const QString &argument)
{
  return argument == u"@@" || argument == u"@@u" || argument == u"@@f";
}

// Codes that stand for the files or addresses being opened; the address goes last instead.
bool isFileCode(QChar code)
{
  return QStringView(u"fFuUdDnN").contains(code);
}

// Characters that the Exec quoting rules reserve, and "%" (a field code outside quotes).
bool needsQuoting(const QString &argument)
{
  if (argument.isEmpty()) return true;
  for (const QChar c : argument) {
    if (QStringView(u" \t\n\"'\\><~|&;$*?#()`%").contains(c)) return true;
  }
  return false;
}

QString quoteExecArgument(const QString &argument)
{
  if (!needsQuoting(argument)) return argument;
  QString quoted = QStringLiteral("\"");
  for (const QChar c : argument) {
    if (QStringView(u"\"`$\\").contains(c)) quoted += u'\\';
    quoted += c;
  }
  return quoted + u'"';
}

}  // namespace

QStringList splitExecLine(const QString &line)
{
  QStringList arguments;
  QString current;
  bool inArgument = false;  // something of the argument has been read
  bool literal = false;     // it holds text of its own (quotes count: "" is an empty argument)
  bool dropped = false;     // it holds a file code
  bool inQuote = false;
  const auto finish = [&] {
    if (inArgument && !dropped && (literal || !current.isEmpty())) arguments << current;
    current.clear();
    inArgument = literal = dropped = false;
  };

  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line.at(i);
    if (inQuote) {
      if (c == u'"') {
        inQuote = false;
      } else if (c == u'\\' && i + 1 < line.size() && QStringView(u"\"`$\\").contains(line.at(i + 1))) {
        current += line.at(++i);
      } else {
        current += c;
      }
      continue;
    }
    if (c == u' ' || c == u'\t' || c == u'\n') {
      finish();
      continue;
    }
    inArgument = true;
    if (c == u'"') {
      inQuote = true;
      literal = true;
    } else if (c == u'%' && i + 1 < line.size()) {
      const QChar code = line.at(++i);
      if (code == u'%') {
        current += u'%';
      } else if (isFileCode(code)) {
        dropped = true;
      }
      // Other codes (%i, %c, %k, the deprecated ones) expand to nothing here.
    } else {
      current += c;
    }
  }
  if (inQuote) return {};
  finish();
  return arguments;
}

PlayerCommand parseOpenCommand(const QString &commandLine)
{
  if (commandLine.size() < 2) return {};
  if (isWindowsCommand(commandLine)) return {windowsProgram(commandLine), {}};

  QStringList parts = splitExecLine(commandLine);
  if (parts.isEmpty() || parts.first().isEmpty()) return {};
  PlayerCommand command{parts.takeFirst(), {}};
  for (const QString &argument : parts) {
    if (!isForwardingMarker(argument)) command.arguments << argument;
  }
  return command;
}

QString playerCommandText(const PlayerCommand &command)
{
  if (command.arguments.isEmpty()) return command.program;
  QStringList quoted{quoteExecArgument(command.program)};
  for (const QString &argument : command.arguments) quoted << quoteExecArgument(argument);
  return quoted.join(u' ');
}

PlayerCommand playerCommandFromText(const QString &text, const ProcessStarter &finder)
{
  if (text.trimmed().isEmpty()) return {};
  const QString whole = finder.findProgram(text);
  if (!whole.isEmpty()) return {whole, {}};
  QStringList parts = splitExecLine(text);
  if (parts.isEmpty()) return {};
  const QString program = finder.findProgram(parts.takeFirst());
  if (program.isEmpty()) return {};
  return {program, parts};
}

}  // namespace tessivar
