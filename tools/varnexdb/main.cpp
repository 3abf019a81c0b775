// varnexdb create [--config PATH] [NAME [DESCRIPTION]]: makes the database of a configuration
// file (by default "./Varnex.conf"; a missing file gets the default configuration): its index,
// data and work folders and its system files, with the name and description given (UTF-8 on the
// command line, stored as Shift-JIS). A database that opens already is left as it is, so the
// command can be run before every start of the player. Exits with 0 when the database exists
// afterwards, 1 when it could not be made, 2 for a command line that cannot be used.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/VCodePage.h"
#include "base/VPath.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: varnexdb create [--config PATH] [NAME [DESCRIPTION]]\n");
  return 2;
}

// Opens the database, or makes it when it does not open; answers the process's exit status.
int Create(const std::string& configPath, const std::string& name, const std::string& desc) {
  VBSBoss engine(configPath);
  VDBHandle handle(&engine);
  VResult opened = handle.Open();
  if (opened == kVOk) {
    VResult closed = handle.Close();
    if (closed != kVOk) {
      std::fprintf(stderr, "varnexdb: closing the database failed (%d)\n", closed);
      return 1;
    }
    std::printf("varnexdb: the database of %s exists already\n", configPath.c_str());
    return 0;
  }
  VResult created = handle.CreateDatabase(VUtf8ToSjis(name), VUtf8ToSjis(desc));
  if (created != kVOk) {
    std::fprintf(stderr,
                 "varnexdb: the database of %s does not open (%d) and cannot be made (%d)\n",
                 configPath.c_str(), opened, created);
    return 1;
  }
  // The new database must open: that is what the player will do with it.
  VResult check = handle.Open();
  if (check == kVOk) check = handle.Close();
  if (check != kVOk) {
    std::fprintf(stderr, "varnexdb: the database was made but does not open (%d)\n", check);
    return 1;
  }
  std::printf("varnexdb: made the database of %s\n", configPath.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "create") != 0) return Usage();
  std::string config = "./Varnex.conf";
  std::vector<std::string> words;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--config") == 0) {
      if (++i == argc || argv[i][0] == 0) return Usage();
      config = argv[i];
    } else if (std::strncmp(argv[i], "--", 2) == 0) {
      return Usage();
    } else {
      words.emplace_back(argv[i]);
    }
  }
  if (words.size() > 2) return Usage();
  int status = Create(VPortablePath(config), words.empty() ? "" : words[0],
                      words.size() < 2 ? "" : words[1]);
  VEngineShutdown();
  return status;
}
