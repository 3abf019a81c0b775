// The process-wide debug log. While something has started it, numbered and time-stamped lines go
// to the console (standard error), to a log file in the current directory, or to both, and raw
// memory blocks can be dumped into files under "@DUMP". With no log active every call returns at
// once and nothing is created.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "base/VBase.h"
#include "base/VList.h"

class VFile;
class VFileStream;

// One dump file: "@DUMP/@debug.NNN", its name text at the start, then the dumped blocks.
class VDebugDump : public VObj {
 public:
  VDebugDump(std::string name);
  ~VDebugDump() override;
  virtual void Write(int32_t identifier, const void* bytes, int32_t length);

  const std::string& Name() const { return name_; }
  int32_t Sequence() const { return sequence_; }

 private:
  int32_t sequence_;
  std::string name_;
  std::unique_ptr<VFile> file_;
  VFileStream* stream_ = nullptr;
};

class VDebug {
 public:
  enum Media : int { kConsole = 1, kFile = 2 };

  // Opens the log file (replacing one of that name) and writes the opening lines.
  explicit VDebug(const std::string& fileName);
  virtual ~VDebug();

  virtual bool DumpActive() const { return mode_ == 2; }
  virtual void SetMedia(int bits);
  virtual void SetFlush(bool on);
  virtual bool ConsoleEnabled() const { return (media_ & kConsole) != 0; }
  virtual bool FileEnabled() const { return (media_ & kFile) != 0; }
  virtual void Write(const std::string& line);
  virtual void WriteToConsole(const std::string& line);
  virtual void WriteToFile(const std::string& line);
  virtual void Dump(const std::string& name, int32_t identifier, const void* bytes, int32_t length);

  const std::string& FileName() const { return fileName_; }

 private:
  VCritical lock_;
  int media_ = 0;
  bool flush_ = false;
  int mode_ = 0;
  std::string fileName_;
  std::unique_ptr<VFile> file_;
  VFileStream* stream_ = nullptr;
  VList dumps_;
};

// The active log, or null.
VDebug* VDebugActive();

// Whether a log may write to the console (standard error); yes unless a program said otherwise.
// A program whose terminal is meant for its user (the player) turns it off: every log then writes
// to its file only, whatever media it is set to.
void VSetLogConsoleAllowed(bool allowed);
bool VLogConsoleAllowed();

// Starts the log ("debug" when name is null) unless one is active. numbered picks the first free
// "<name>.log<N>" from 1 up, else the file is "<name>.log".
void StartLog(const char* name, bool numbered);
void StopLog();
void Log(const char* message);
void LogError(const char* message, long code);
void LogFileOnly(const char* message);

// One argument of LogFormat; the conversion letter decides how it is read.
struct VLogArg {
  enum Kind { kInteger, kDouble, kText, kPointer } kind;
  int64_t integer = 0;
  double real = 0;
  const char* text = nullptr;
  const void* pointer = nullptr;

  VLogArg(int v) : kind(kInteger), integer(v) {}
  VLogArg(unsigned v) : kind(kInteger), integer(v) {}
  VLogArg(long v) : kind(kInteger), integer(v) {}
  VLogArg(unsigned long v) : kind(kInteger), integer(static_cast<int64_t>(v)) {}
  VLogArg(long long v) : kind(kInteger), integer(v) {}
  VLogArg(unsigned long long v) : kind(kInteger), integer(static_cast<int64_t>(v)) {}
  VLogArg(short v) : kind(kInteger), integer(v) {}
  VLogArg(unsigned short v) : kind(kInteger), integer(v) {}
  VLogArg(char v) : kind(kInteger), integer(v) {}
  VLogArg(unsigned char v) : kind(kInteger), integer(v) {}
  VLogArg(double v) : kind(kDouble), real(v) {}
  VLogArg(const char* v) : kind(kText), text(v) {}
  VLogArg(const std::string& v) : kind(kText), text(v.c_str()) {}
  VLogArg(const void* v) : kind(kPointer), pointer(v) {}
};

// Formats up to 2048 bytes: d, i signed 32-bit; x, X, u, o unsigned 32-bit; f double; s text (one
// of 256 bytes or more is replaced by "<--- length > 255 --->"); p, P pointer; c character. Flags
// and width are kept, and an "l" before the letter is accepted.
std::string VFormatLog(const char* format, std::initializer_list<VLogArg> args);
void LogFormatArgs(const char* format, std::initializer_list<VLogArg> args);

template <class... Args>
void LogFormat(const char* format, const Args&... args) {
  if (VDebugActive() == nullptr) return;
  LogFormatArgs(format, {VLogArg(args)...});
}
