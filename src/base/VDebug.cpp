#include "base/VDebug.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "base/VDate.h"
#include "base/VFile.h"
#include "base/VStream.h"

namespace {

std::unique_ptr<VDebug> g_log;
std::atomic<long> g_lineNumber{0};
std::atomic<int32_t> g_dumpNumber{0};
std::atomic<bool> g_consoleAllowed{true};

std::string MakeLine(const char* message) {
  int32_t now[6];
  VCurrentLocalTime(now);
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, "%4ld/%02ld/%02ld %02ld:%02ld:%02ld", long{now[0]},
                long{now[1]}, long{now[2]}, long{now[3]}, long{now[4]}, long{now[5]});
  char head[160];
  std::snprintf(head, sizeof head, "%6ld [%s] ", ++g_lineNumber, stamp);
  std::string line = head;
  line += message ? message : "";
  while (line.size() > 1 && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

bool FileExists(const std::string& name) { return VFile(name).Exists(); }

}  // namespace

// --- VDebugDump ---

VDebugDump::VDebugDump(std::string name) : sequence_(++g_dumpNumber), name_(std::move(name)) {
  VDir dumpDir("@DUMP");
  // A dump that cannot be made is not worth failing the caller for: the open below then fails.
  if (!dumpDir.Exists()) (void)dumpDir.Create(true);
  char path[64];
  std::snprintf(path, sizeof path, "%s/%s.%03ld", "@DUMP", "@debug", long{sequence_});
  file_ = std::make_unique<VFile>(path);
  stream_ = file_->WriteStream();
  if (stream_) {
    stream_->Write(name_.data(), static_cast<int32_t>(name_.size()));
    // The debug log is best effort: a failing write must not disturb the code that logs.
    (void)file_->Flush();
  }
}

VDebugDump::~VDebugDump() {
  // Best effort, as every write of the debug log.
  if (file_->IsOpen()) (void)file_->Close();
}

void VDebugDump::Write(int32_t identifier, const void* bytes, int32_t length) {
  if (stream_ == nullptr) return;
  char marker[80];
  int n = std::snprintf(marker, sizeof marker, "<= START V[ID:%08ld, LEN:%08ld] =>",
                        long{identifier}, long{length});
  stream_->Write(marker, n);
  if (length > 0) stream_->Write(bytes, length);
  n = std::snprintf(marker, sizeof marker, "<= END   V[ID:%08ld, LEN:%08ld] =>", long{identifier},
                    long{length});
  stream_->Write(marker, n);
  // Best effort; a failure stays in the stream's error state.
  (void)stream_->WriteOut();
}

// --- VDebug ---

VDebug::VDebug(const std::string& fileName) : fileName_(fileName) {
  file_ = std::make_unique<VFile>(fileName_);
  stream_ = file_->WriteStream();
  SetMedia(kConsole | kFile);
  SetFlush(true);
  Write(MakeLine(("...ASSIGN LOGFILE: " + fileName_).c_str()));
  Write(MakeLine("<Varnex415> VDebug is Active. .... (OvPlayer on Linux)"));
}

VDebug::~VDebug() {
  Write(MakeLine("<Varnex415> VDebug is Down."));
  // Best effort, as every write of the debug log.
  if (file_->IsOpen()) (void)file_->Close();
  dumps_.DeleteAll();
}

void VDebug::SetMedia(int bits) {
  if (!g_consoleAllowed) bits &= ~kConsole;
  if (bits == media_) return;
  media_ = bits;
  if (bits & kConsole) Write(MakeLine("...ASSIGN MEDIA: DBG_Print"));
  if (bits & kFile) Write(MakeLine("...ASSIGN MEDIA: DBG_File"));
}

void VDebug::SetFlush(bool on) {
  if (on == flush_) return;
  flush_ = on;
  Write(MakeLine(on ? "...ASSIGN FLUSH: on" : "...ASSIGN FLUSH: off"));
}

void VDebug::Write(const std::string& line) {
  if (ConsoleEnabled()) WriteToConsole(line);
  if (FileEnabled()) WriteToFile(line);
}

void VDebug::WriteToConsole(const std::string& line) {
  VCriticalLock hold(lock_);
  std::fprintf(stderr, "%s\n", line.c_str());
}

void VDebug::WriteToFile(const std::string& line) {
  VCriticalLock hold(lock_);
  if (stream_ == nullptr) return;
  stream_->WriteLine(line.data(), static_cast<int32_t>(line.size()));
  // Each line reaches the operating system at once, so a crash keeps it; it is not forced to the
  // disk, which would cost a device flush per line of the command log.
  // Best effort; a failure stays in the stream's error state.
  if (flush_) (void)stream_->WriteOut();
}

void VDebug::Dump(const std::string& name, int32_t identifier, const void* bytes, int32_t length) {
  VCriticalLock hold(lock_);
  VDebugDump* dump = nullptr;
  for (int32_t i = 0; i < dumps_.Count(); ++i) {
    auto* candidate = dumps_.AtAs<VDebugDump>(i);
    if (candidate->Name() == name) {
      dump = candidate;
      break;
    }
  }
  if (dump == nullptr) {
    dump = new VDebugDump(name);
    dumps_.Append(dump);
  }
  dump->Write(identifier, bytes, length);
}

// --- free functions ---

VDebug* VDebugActive() { return g_log.get(); }

void VSetLogConsoleAllowed(bool allowed) {
  g_consoleAllowed = allowed;
  // A log already writing to the console stops doing so at once.
  if (!allowed && g_log && g_log->ConsoleEnabled()) {
    g_log->SetMedia(g_log->FileEnabled() ? VDebug::kFile : 0);
  }
}

bool VLogConsoleAllowed() { return g_consoleAllowed; }

void StartLog(const char* name, bool numbered) {
  if (g_log) return;
  std::string base = name ? name : "debug";
  std::string fileName = base + ".log";
  if (numbered) {
    for (int n = 1;; ++n) {
      fileName = base + ".log" + std::to_string(n);
      if (!FileExists(fileName)) break;
    }
  }
  g_log = std::make_unique<VDebug>(fileName);
}

void StopLog() { g_log.reset(); }

void Log(const char* message) {
  if (!g_log) return;
  g_log->Write(MakeLine(message));
}

void LogError(const char* message, long code) {
  if (!g_log) return;
  char text[2100];
  std::snprintf(text, sizeof text, "%s, error: %ld", message ? message : "", code);
  g_log->Write(MakeLine(text));
}

void LogFileOnly(const char* message) {
  if (!g_log) return;
  g_log->WriteToFile(MakeLine(message));
}

std::string VFormatLog(const char* format, std::initializer_list<VLogArg> args) {
  constexpr size_t kLimit = 2048;
  std::string out;
  const VLogArg* arg = args.begin();
  const char* p = format;
  while (*p && out.size() < kLimit) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    if (p[1] == '%') {
      out += '%';
      p += 2;
      continue;
    }
    // The piece runs from "%" through the conversion letter; flags and width go with it.
    const char* start = p++;
    while (*p && std::strchr("-+ #0123456789.", *p)) ++p;
    bool longFlag = *p == 'l';
    if (longFlag) ++p;
    char letter = *p;
    if (letter == '\0') break;
    ++p;
    std::string conversion(start, static_cast<size_t>(p - start));
    if (longFlag)
      conversion.erase(conversion.size() - 2, 1);  // the arguments are read as the letter says
    char piece[512];
    piece[0] = '\0';
    bool have = arg != args.end();
    bool consumed = true;
    switch (letter) {
      case 'd':
      case 'i':
        std::snprintf(piece, sizeof piece, conversion.c_str(),
                      have ? static_cast<int32_t>(arg->integer) : 0);
        break;
      case 'x':
      case 'X':
      case 'u':
      case 'o':
        std::snprintf(piece, sizeof piece, conversion.c_str(),
                      have ? static_cast<uint32_t>(arg->integer) : 0u);
        break;
      case 'f':
        std::snprintf(
            piece, sizeof piece, conversion.c_str(),
            have ? (arg->kind == VLogArg::kDouble ? arg->real : static_cast<double>(arg->integer))
                 : 0.0);
        break;
      case 's': {
        const char* text = have && arg->kind == VLogArg::kText && arg->text ? arg->text : "";
        if (std::strlen(text) >= 256) text = "<--- length > 255 --->";
        std::snprintf(piece, sizeof piece, conversion.c_str(), text);
        break;
      }
      case 'p':
      case 'P':
        std::snprintf(piece, sizeof piece, "%p", have ? arg->pointer : nullptr);
        break;
      case 'c':
        std::snprintf(piece, sizeof piece, conversion.c_str(),
                      have ? static_cast<int>(static_cast<char>(arg->integer)) : ' ');
        break;
      default:
        std::snprintf(piece, sizeof piece, "%s", conversion.c_str());
        consumed = false;
        break;
    }
    out += piece;
    if (have && consumed) ++arg;
  }
  if (out.size() > kLimit) out.resize(kLimit);
  return out;
}

void LogFormatArgs(const char* format, std::initializer_list<VLogArg> args) {
  if (!g_log) return;
  Log(VFormatLog(format, args).c_str());
}
