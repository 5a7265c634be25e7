#pragma once

namespace tessivar::directory {

// tessivar-directory import|serve ...; returns the process's exit code
// (0 done, 1 failed, 2 bad command line).
int runCommandLine(int argc, char **argv);

}  // namespace tessivar::directory
