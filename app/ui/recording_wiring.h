#pragma once

namespace tessivar {

class ProgramParts;
class StreamRecording;

// The program's recording: Record and F5 record the current row's stream, or while the built-in
// player plays, its stream through the player itself (and stop a recording under way); "Stop
// Recording" ends it, the status bar shows it while it runs, and the user is told where it went
// or why it failed. The scanner records through the same one.
StreamRecording &wireRecording(ProgramParts &parts);

}  // namespace tessivar
