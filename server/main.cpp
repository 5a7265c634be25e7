#include "server/command_line.h"

int main(int argc, char **argv)
{
  return tessivar::directory::runCommandLine(argc, argv);
}
