#pragma once

namespace tessivar {

class ProgramParts;

// The searches that the main window's controls start beyond the search box: the letter browse
// (letters, Previous, Next, Go) and the genre entries of "&Select Format".
void wireSearchCommands(ProgramParts &parts);

}  // namespace tessivar
