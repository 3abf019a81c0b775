#include "base/VSystemCalls.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

VSystemCalls& Real() {
  static VSystemCalls calls;
  return calls;
}

VSystemCalls* gCalls = nullptr;

}  // namespace

int VSystemCalls::Open(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}

int VSystemCalls::Close(int fd) { return ::close(fd); }

ssize_t VSystemCalls::PRead(int fd, void* buffer, size_t count, off_t offset) {
  return ::pread(fd, buffer, count, offset);
}

ssize_t VSystemCalls::PWrite(int fd, const void* buffer, size_t count, off_t offset) {
  return ::pwrite(fd, buffer, count, offset);
}

ssize_t VSystemCalls::PWriteV(int fd, const iovec* vectors, int count, off_t offset) {
  return ::pwritev(fd, vectors, count, offset);
}

int VSystemCalls::FSync(int fd) { return ::fsync(fd); }

int VSystemCalls::FDataSync(int fd) { return ::fdatasync(fd); }

int VSystemCalls::FTruncate(int fd, off_t size) { return ::ftruncate(fd, size); }

int VSystemCalls::FStat(int fd, struct stat* st) { return ::fstat(fd, st); }

int VSystemCalls::Stat(const char* path, struct stat* st) { return ::stat(path, st); }

int VSystemCalls::Flock(int fd, int operation) { return ::flock(fd, operation); }

int VSystemCalls::Unlink(const char* path) { return ::unlink(path); }

int VSystemCalls::Rename(const char* from, const char* to) { return std::rename(from, to); }

int VSystemCalls::Mkdir(const char* path, mode_t mode) { return ::mkdir(path, mode); }

int VSystemCalls::Rmdir(const char* path) { return ::rmdir(path); }

std::time_t VSystemCalls::Time() { return std::time(nullptr); }

int VSystemCalls::ListNames(const char* path, std::vector<std::string>* names) {
  names->clear();
  DIR* dir = ::opendir(path);
  if (dir == nullptr) return -1;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names->push_back(std::move(name));
  }
  ::closedir(dir);
  return 0;
}

VSystemCalls& VSys() { return gCalls != nullptr ? *gCalls : Real(); }

VSystemCalls& VRealSystemCalls() { return Real(); }

VSystemCalls* VSetSystemCalls(VSystemCalls* calls) {
  VSystemCalls* previous = gCalls;
  gCalls = calls;
  return previous;
}
