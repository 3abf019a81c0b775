// The file-system calls of the foundation. Every call that the file layer (VFile, VDir, VPath)
// makes to the operating system goes through the one table installed here, so that a test can put
// a simulated disk in its place: one that forgets unsynced writes at a power cut, or fails a chosen
// call. The clock that stamps files and log records is read through it too, so that a test can
// make files whose bytes do not depend on the moment they were made.
//
// Each operation answers as the system call of the same name does: -1 (or a negative count) with
// errno set on failure. The default table calls the system itself. A table is installed for the
// whole process and must outlive its use; the engine is single-threaded, so installing one while
// no file is open is safe.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

class VSystemCalls {
 public:
  virtual ~VSystemCalls() = default;

  virtual int Open(const char* path, int flags, mode_t mode);
  virtual int Close(int fd);
  virtual ssize_t PRead(int fd, void* buffer, size_t count, off_t offset);
  virtual ssize_t PWrite(int fd, const void* buffer, size_t count, off_t offset);
  virtual ssize_t PWriteV(int fd, const iovec* vectors, int count, off_t offset);
  virtual int FSync(int fd);
  virtual int FDataSync(int fd);
  virtual int FTruncate(int fd, off_t size);
  virtual int FStat(int fd, struct stat* st);
  virtual int Stat(const char* path, struct stat* st);
  virtual int Flock(int fd, int operation);
  virtual int Unlink(const char* path);
  virtual int Rename(const char* from, const char* to);
  virtual int Mkdir(const char* path, mode_t mode);
  virtual int Rmdir(const char* path);
  // The names in a directory, without "." and ".."; -1 with errno when it cannot be read.
  virtual int ListNames(const char* path, std::vector<std::string>* names);
  // The current time, as time(nullptr).
  virtual std::time_t Time();
};

// The table in use.
VSystemCalls& VSys();
// The table that calls the system itself (what a replacement passes on to for paths it does not
// simulate).
VSystemCalls& VRealSystemCalls();
// Installs a table (null puts the system's own back); answers the one it replaces.
VSystemCalls* VSetSystemCalls(VSystemCalls* calls);
