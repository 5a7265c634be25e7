#pragma once

#include <QString>
#include <QStringList>

namespace tessivar {

class ProcessStarter;

// A player program and the fixed arguments that go before the stream address.
struct PlayerCommand
{
  QString program;
  QStringList arguments;

  bool isEmpty() const { return program.isEmpty(); }
  friend bool operator==(const PlayerCommand &, const PlayerCommand &) = default;
};

// The program of a file type's open command, and its fixed arguments:
//  - a command shorter than 2 characters is no command;
//  - a Windows command line (its program begins with a drive letter or "\\") is cut after its
//    first ".EXE" (any case), leading blanks and quotes removed, no arguments kept; without
//    ".EXE" it is no command;
//  - any other is a desktop entry's Exec line: split by its quoting rules, the field codes
//    (%U, %f, ...) and file-forwarding markers (@@u ... @@) removed, "%%" read as "%".
// An unbalanced quote gives no command.
PlayerCommand parseOpenCommand(const QString &commandLine);

// An Exec line split into its arguments by the desktop entry quoting rules, with field codes
// removed as above. Empty when a quote is left open.
QStringList splitExecLine(const QString &line);

// The text a player's value holds: the program alone when there are no fixed arguments,
// otherwise program and arguments in Exec quoting, so splitExecLine gives them back.
QString playerCommandText(const PlayerCommand &command);

// The command to start for a player's value: the whole value when it names a program (a path
// with blanks typed in setup), otherwise its Exec split. The program is resolved to its full path
// with the starter; empty when the value is empty or its program is not there (a stale path).
PlayerCommand playerCommandFromText(const QString &text, const ProcessStarter &finder);

}  // namespace tessivar
