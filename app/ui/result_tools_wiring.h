#pragma once

namespace tessivar {

class ProgramParts;

// The result tools on the main window's requests: related results of a clicked clip, Find and
// Find Next, and Copy, E-mail and Visit of the current row.
void wireResultTools(ProgramParts &parts);

}  // namespace tessivar
