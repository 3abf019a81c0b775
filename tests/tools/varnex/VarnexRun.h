// Runs the built varnex executable in a test's own folder and collects what it wrote.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempDir.h"

struct VarnexResult {
  int status = -1;  // the exit status; -1 when the process did not exit normally
  std::string out;
  std::string err;
};

class VarnexRunner {
 public:
  VarnexRunner() : dir_(false) {}

  const TempDir& Dir() const { return dir_; }
  std::string Path(const std::string& name) const { return dir_ / name; }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // args as given to the program (no shell involved in their meaning); input becomes its
  // standard input.
  VarnexResult Run(const std::vector<std::string>& args, const std::string& input = "") const {
    Write(".stdin", input);
    std::string command = "cd " + Quote(dir_.Path()) + " && " + Quote(VARNEX_EXE);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " <.stdin >.stdout 2>.stderr";
    const int raw = std::system(command.c_str());
    VarnexResult result;
    // The shell reports a child killed by a signal as 128 + the signal.
    if (raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) < 128) result.status = WEXITSTATUS(raw);
    result.out = Read(".stdout");
    result.err = Read(".stderr");
    return result;
  }

 private:
  static std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
  }

  TempDir dir_;
};
