// varnex: the command-line tool for Varnex databases (see VarnexTool.h).
#include <cstdio>

#include "VarnexTool.h"
#include "db/engine/VBSBoss.h"

int main(int argc, char** argv) {
  int status = 0;
  {
    VarnexTool tool(stdout, stderr, stdin);
    status = tool.Main(argc, argv);
  }
  VEngineShutdown();
  return status;
}
