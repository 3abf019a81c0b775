// ovadump FILE...: reads application definition files as the player reads its application folder
// (in the order given, a later application replacing an earlier one of the same name) and prints
// the templates in UTF-8. The player itself skips what it cannot read without a word; this tool
// names the files it could not open on standard error and exits with 1 then.
#include <cstdio>
#include <string>

#include "base/VCodePage.h"
#include "base/VFile.h"
#include "base/VPath.h"
#include "template/OFTDump.h"
#include "template/OFTPool.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ovadump FILE...\n");
    return 2;
  }
  OFTPool pool;
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    VFile file(VPortablePath(argv[i]));
    if (!file.Exists() || file.Open(true) != kVOk) {
      std::fprintf(stderr, "ovadump: cannot open %s\n", argv[i]);
      status = 1;
      continue;
    }
    if (ReadDefinitionFile(pool, &file) != kVOk) {
      std::fprintf(stderr, "ovadump: cannot read %s whole\n", argv[i]);
      status = 1;
    }
    (void)file.Close();  // only read from
  }
  std::string listing = VSjisToUtf8(DescribePool(pool));
  std::fwrite(listing.data(), 1, listing.size(), stdout);
  return status;
}
