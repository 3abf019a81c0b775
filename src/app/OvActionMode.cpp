#include "app/OvActionMode.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/OvActionRunner.h"
#include "app/OvActions.h"
#include "base/VPath.h"

namespace {

constexpr const char* kUsage =
    "usage: ovplayer --actions FILE [--config PATH] [--folder DIR] [--transcript OUT]\n"
    "  Runs the action file against the player without a screen. Exit status: 0 every check\n"
    "  held, 1 an action or check failed, 2 the action file or the command line cannot be used.\n"
    "  --config PATH      the database configuration file (default ./Varnex.conf)\n"
    "  --folder DIR       the application folder (default ./OVAFolder)\n"
    "  --transcript OUT   writes what a person would have seen after each action (- for the\n"
    "                     standard output)\n";

// An action file is a hand-written text; anything larger is not one.
constexpr std::streamoff kMaxFileSize = 16 << 20;

constexpr int kHeld = 0;
constexpr int kFailed = 1;
constexpr int kUnusable = 2;

int Unusable(std::FILE* err, const std::string& why) {
  std::fprintf(err, "ovplayer: %s\n%s", why.c_str(), kUsage);
  return kUnusable;
}

// Reads "--name VALUE" and "--name=VALUE" options into options. Empty when they read, else why not.
std::string ReadOptions(const std::vector<std::string>& args,
                        std::map<std::string, std::string>* options, bool* help) {
  static const char* const kNames[] = {"actions", "config", "folder", "transcript"};
  if (std::find(args.begin(), args.end(), "--help") != args.end() ||
      std::find(args.begin(), args.end(), "-h") != args.end()) {
    *help = true;
    return {};
  }
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) return "unexpected argument " + arg;
    size_t equals = arg.find('=');
    std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    if (std::find(std::begin(kNames), std::end(kNames), name) == std::end(kNames)) {
      return "--" + name + " cannot be used with --actions";
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
      value = args[++i];
    } else {
      return "--" + name + " needs a value";
    }
    if (value.empty()) return "--" + name + " may not be empty";
    if (!options->emplace(name, value).second) return "--" + name + " is given twice";
  }
  if (options->count("actions") == 0) return "--actions FILE is missing";
  return {};
}

// The file's bytes; false with why not.
bool ReadFile(const std::string& path, std::string* text, std::string* why) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *why = std::strerror(errno);
    return false;
  }
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size > kMaxFileSize) {
    *why = "it is larger than 16 MB";
    return false;
  }
  in.seekg(0);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) {
    *why = "a read failed";
    return false;
  }
  *text = bytes.str();
  return true;
}

// Reads and checks the action file; false after reporting what is wrong with it.
bool ReadActionFile(const std::string& file, std::vector<OvAction>* actions, std::FILE* err) {
  std::string text;
  std::string why;
  if (!ReadFile(file, &text, &why)) {
    std::fprintf(err, "ovplayer: cannot read the action file %s: %s\n", file.c_str(), why.c_str());
    return false;
  }
  std::vector<OvActionFileError> errors;
  if (OvReadActions(text, OvActionRunner::Table(), actions, &errors)) return true;
  for (const OvActionFileError& error : errors) {
    if (error.line == 0) {
      std::fprintf(err, "%s: %s\n", file.c_str(), error.message.c_str());
    } else {
      std::fprintf(err, "%s:%d: %s\n", file.c_str(), error.line, error.message.c_str());
    }
  }
  return false;
}

// Runs the actions with the player on the configuration and folder (portable paths); answers the
// exit status after reporting the failure or the count of what ran.
int RunActions(const std::vector<OvAction>& actions, const std::string& file,
               const std::string& config, const std::string& folder, std::FILE* transcript,
               std::FILE* err) {
  OvActionRunner runner(config.c_str(), folder.c_str());
  if (transcript != nullptr) {
    // Each line is flushed at once, so that a run that stops early still shows what it saw.
    runner.SetTranscript([transcript](const std::string& line) {
      std::fputs(line.c_str(), transcript);
      std::fflush(transcript);
    });
  }
  bool held = false;
  try {
    held = runner.Run(actions);
  } catch (const std::exception& failure) {
    // Run answers every failure of an action itself; this is one of the run as a whole (memory).
    std::fprintf(err, "ovplayer: the run stopped: %s\n", failure.what());
    return kFailed;
  }
  if (!held) {
    std::fprintf(err, "%s:%d: %s\n", file.c_str(), runner.FailedLine(), runner.Failure().c_str());
    return kFailed;
  }
  int32_t actionsRun = runner.ActionsRun();
  int32_t checksHeld = runner.ChecksHeld();
  std::fprintf(err, "%s: %d action%s run, %d check%s held\n", file.c_str(), actionsRun,
               actionsRun == 1 ? "" : "s", checksHeld, checksHeld == 1 ? "" : "s");
  return kHeld;
}

}  // namespace

bool OvGivenPathExists(const char* option, const std::string& path, std::FILE* err) {
  std::error_code error;
  if (std::filesystem::exists(path, error)) return true;
  std::fprintf(err, "ovplayer: --%s %s does not exist\n", option, path.c_str());
  return false;
}

bool OvIsActionMode(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) continue;
    if (std::strcmp(argv[i], "--actions") == 0 || std::strncmp(argv[i], "--actions=", 10) == 0) {
      return true;
    }
  }
  return false;
}

int OvRunActionMode(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  std::map<std::string, std::string> options;
  bool help = false;
  std::string why = ReadOptions(args, &options, &help);
  if (help) {
    std::fputs(kUsage, out);
    return kHeld;
  }
  if (!why.empty()) return Unusable(err, why);
  // A mistyped path must not make the player start on a new, empty configuration or folder.
  for (const char* name : {"config", "folder"}) {
    auto given = options.find(name);
    if (given != options.end() && !OvGivenPathExists(name, given->second, err)) return kUnusable;
  }

  const std::string& file = options["actions"];
  std::vector<OvAction> actions;
  if (!ReadActionFile(file, &actions, err)) return kUnusable;
  std::FILE* transcript = out;
  if (options.count("transcript") == 0) {
    transcript = nullptr;
  } else if (options["transcript"] != "-") {
    transcript = std::fopen(options["transcript"].c_str(), "wb");
    if (transcript == nullptr) {
      std::fprintf(err, "ovplayer: cannot write the transcript %s: %s\n",
                   options["transcript"].c_str(), std::strerror(errno));
      return kUnusable;
    }
  }

  std::string config = VPortablePath(options.count("config") ? options["config"] : "./Varnex.conf");
  std::string folder = VPortablePath(options.count("folder") ? options["folder"] : "./OVAFolder");
  int status = RunActions(actions, file, config, folder, transcript, err);

  bool written = transcript == nullptr || std::ferror(transcript) == 0;
  if (transcript != nullptr && transcript != out && std::fclose(transcript) != 0) written = false;
  if (!written) {
    std::fprintf(err, "ovplayer: the transcript %s could not be written whole\n",
                 options["transcript"].c_str());
    return kUnusable;
  }
  return status;
}
