#include "base/VFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/VPath.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "base/VSystemCalls.h"

namespace {

bool StatPath(const std::string& path, struct stat* st) {
  return VSys().Stat(path.c_str(), st) == 0;
}

VResult SyncFolder(const std::string& folder) {
  int fd =
      VSys().Open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return kVFlushNoHandle;
  int r = VSys().FSync(fd);
  // The directory was only synced: a failing close loses nothing.
  (void)VSys().Close(fd);
  return r == 0 ? kVOk : kVFlushNoHandle;
}

// Syncs the directory that holds path, so that an entry made or removed in it is on the disk.
VResult SyncParent(const std::string& path) {
  std::string parent;
  VSplitPath(path, &parent, nullptr);
  return SyncFolder(parent);
}

// Makes a directory and, on the way, its missing parents; each one made is on the disk (its entry
// in its parent synced) before anything is made inside it.
VResult MakeDirectories(const std::string& path) {
  struct stat st;
  if (StatPath(path, &st)) return S_ISDIR(st.st_mode) ? kVOk : kVMkdirFailed;
  std::string parent;
  VSplitPath(path, &parent, nullptr);
  if (!parent.empty() && parent != "/" && parent != "." && parent != path) {
    VResult r = MakeDirectories(parent);
    if (r != kVOk) return r;
  }
  if (VSys().Mkdir(path.c_str(), 0777) != 0) return errno == EEXIST ? kVOk : kVMkdirFailed;
  return SyncParent(path) == kVOk ? kVOk : kVMkdirFailed;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (VToUpper(static_cast<uint8_t>(a[i])) != VToUpper(static_cast<uint8_t>(b[i]))) return false;
  }
  return true;
}

}  // namespace

// --- VDirElement ---

VDirElement::VDirElement(VDir* parent, std::string name)
    : parent_(parent), name_(std::move(name)) {}

std::string VDirElement::FullPath() const {
  if (parent_ == nullptr) return name_;
  std::string path = parent_->FullPath();
  if (!parent_->IsRoot() || path != "/") path += "/";
  return path + name_;
}

VResult VDirElement::PlatformPath(std::string* path) const {
  return VPlatformPath(FullPath(), path);
}

VResult VDirElement::OpenAll(bool readOnly) {
  return parent_ ? parent_->Open(readOnly) : kVNoParent;
}

VResult VDirElement::CloseAll() { return parent_ ? parent_->Close() : kVNoParent; }

VResult VDirElement::FlushAll() { return parent_ ? parent_->Flush() : kVNoParent; }

// --- VFile ---

VFile::VFile(std::string path, VDir* parent) : VDirElement(parent, std::move(path)) {}

VFile::~VFile() {
  // A caller that cares about the last write-back closes the file itself and reads the answer.
  if (IsOpen()) (void)Close();
}

bool VFile::Exists() const {
  std::string path;
  struct stat st;
  return PlatformPath(&path) == kVOk && StatPath(path, &st) && S_ISREG(st.st_mode);
}

VResult VFile::Create(bool withParents) {
  if (IsOpen()) return kVBusy;
  std::string path;
  if (PlatformPath(&path) != kVOk) return kVInvalidPath;
  if (withParents) {
    if (Exists()) return kVOk;
    std::string folder;
    VSplitPath(path, &folder, nullptr);
    if (!folder.empty()) {
      VResult r = MakeDirectories(folder);
      if (r != kVOk) return r;
    }
  }
  int fd = VSys().Open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return kVCreateFailed;
  // A new empty file: there is nothing a failing close could lose.
  (void)VSys().Close(fd);
  return kVOk;
}

VResult VFile::Remove() {
  if (IsOpen()) return kVBusy;
  std::string path;
  if (PlatformPath(&path) != kVOk) return kVInvalidPath;
  return VSys().Unlink(path.c_str()) == 0 ? kVOk : kVDeleteFailed;
}

VResult VFile::Open(bool readOnly) {
  if (IsOpen()) return kVAlreadyOpen;
  std::string path;
  if (PlatformPath(&path) != kVOk) return kVInvalidPath;
  int fd = VSys().Open(path.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC, 0);
  if (fd < 0) return kVOpenFailed;
  struct stat st;
  if (VSys().FStat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      VSys().Flock(fd, (readOnly ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
    (void)VSys().Close(fd);  // nothing was written through it
    return kVOpenFailed;
  }
  fd_ = fd;
  readOnly_ = readOnly;
  return kVOk;
}

VResult VFile::Close() {
  if (!IsOpen()) return kVCloseNoHandle;
  VResult result = kVOk;
  if (stream_) {
    // A write-out that failed earlier lost bytes the caller wrote: the close says so.
    result = stream_->WriteOut();
    if (result == kVOk && !readOnly_) result = stream_->Error();
    stream_.reset();
  }
  // Closing releases the advisory lock too. A failing close may be a deferred write's failure.
  if (VSys().Close(fd_) != 0 && result == kVOk && !readOnly_) result = kVWriteFailed;
  fd_ = -1;
  return result;
}

VResult VFile::Flush() {
  if (!IsOpen()) return kVFlushNoHandle;
  if (stream_) {
    VResult r = stream_->WriteOut();
    if (r == kVOk && !readOnly_) r = stream_->Error();
    if (r != kVOk) return r;
  }
  if (readOnly_) return kVOk;
  return VSys().FDataSync(fd_) == 0 ? kVOk : kVWriteFailed;
}

VResult VFile::Rename(const std::string& newPath) {
  if (IsOpen()) return kVBusy;
  std::string from;
  std::string to;
  if (PlatformPath(&from) != kVOk || VPlatformPath(newPath, &to) != kVOk) return kVInvalidPath;
  if (VSys().Rename(from.c_str(), to.c_str()) != 0) return kVRenameFailed;
  parent_ = nullptr;
  name_ = newPath;
  return kVOk;
}

VResult VFile::ReadSome(int64_t offset, void* buffer, int32_t count, int32_t* got) {
  *got = 0;
  if (!IsOpen()) return kVNotOpen;
  if (offset < 0) return kVSeekFailed;
  char* out = static_cast<char*>(buffer);
  while (*got < count) {
    ssize_t n = VSys().PRead(fd_, out + *got, static_cast<size_t>(count - *got), offset + *got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return kVReadFailed;
    }
    if (n == 0) break;
    *got += static_cast<int32_t>(n);
  }
  return kVOk;
}

VResult VFile::ReadAt(int64_t offset, void* buffer, int32_t count) {
  int32_t got = 0;
  VResult r = ReadSome(offset, buffer, count, &got);
  if (r != kVOk) return r;
  return got == count ? kVOk : kVReadFailed;
}

VResult VFile::WriteAt(int64_t offset, const void* buffer, int32_t count) {
  if (!IsOpen()) return kVNotOpen;
  if (readOnly_ || offset < 0) return kVWriteFailed;
  const char* in = static_cast<const char*>(buffer);
  int32_t done = 0;
  while (done < count) {
    ssize_t n = VSys().PWrite(fd_, in + done, static_cast<size_t>(count - done), offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return kVWriteFailed;
    }
    if (n == 0) return kVWriteFailed;
    done += static_cast<int32_t>(n);
  }
  return kVOk;
}

VResult VFile::WriteGatheredAt(int64_t offset, std::span<const std::span<const uint8_t>> buffers) {
  if (!IsOpen()) return kVNotOpen;
  if (readOnly_ || offset < 0) return kVWriteFailed;
  constexpr size_t kMaxVectors = 256;  // well under every system's IOV_MAX
  iovec vectors[kMaxVectors];
  size_t next = 0;
  while (next < buffers.size()) {
    size_t count = 0;
    int64_t bytes = 0;
    for (; count < kMaxVectors && next + count < buffers.size(); ++count) {
      const std::span<const uint8_t> buffer = buffers[next + count];
      vectors[count].iov_base = const_cast<uint8_t*>(buffer.data());
      vectors[count].iov_len = buffer.size();
      bytes += static_cast<int64_t>(buffer.size());
    }
    ssize_t n = VSys().PWriteV(fd_, vectors, static_cast<int>(count), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return kVWriteFailed;
    if (n < bytes) {
      // A short write: the rest of this group goes one buffer at a time.
      int64_t done = n;
      for (size_t i = 0; i < count; ++i) {
        const std::span<const uint8_t> buffer = buffers[next + i];
        const int64_t size = static_cast<int64_t>(buffer.size());
        if (done < size) {
          VResult result =
              WriteAt(offset + done, buffer.data() + done, static_cast<int32_t>(size - done));
          if (result != kVOk) return result;
        }
        done = done > size ? done - size : 0;
        offset += size;
      }
    } else {
      offset += bytes;
    }
    next += count;
  }
  return kVOk;
}

VResult VFile::FileSize(int64_t* size) {
  bool opened = false;
  if (!IsOpen()) {
    if (Open(true) != kVOk) return kVSizeFailed;
    opened = true;
  }
  struct stat st;
  VResult result = VSys().FStat(fd_, &st) == 0 ? kVOk : kVSizeFailed;
  if (result == kVOk) *size = st.st_size;
  // Opened here only to read the size: nothing is written back.
  if (opened) (void)Close();
  return result;
}

VResult VFile::SetFileSize(int64_t size) {
  bool opened = false;
  if (!IsOpen()) {
    if (Open(false) != kVOk) return kVSetSizeFailed;
    opened = true;
  }
  VResult result = (!readOnly_ && VSys().FTruncate(fd_, size) == 0) ? kVOk : kVSetSizeFailed;
  // Opened here only for the truncation, whose answer is the result; no stream holds data.
  if (opened) (void)Close();
  return result;
}

VFileStream* VFile::NewStream() {
  stream_.reset();
  stream_ = std::make_unique<VFileStream>(*this, 4096);
  return stream_.get();
}

VFileStream* VFile::ReadStream() {
  if (!IsOpen() && Open(true) != kVOk) return nullptr;
  return NewStream();
}

VFileStream* VFile::WriteStream() {
  if (!IsOpen()) {
    if (Exists() && Remove() != kVOk) return nullptr;
    if (Create(false) != kVOk || Open(false) != kVOk) return nullptr;
  }
  return NewStream();
}

VResult VFile::SyncDirectory() const {
  std::string path;
  if (PlatformPath(&path) != kVOk) return kVInvalidPath;
  std::string folder;
  VSplitPath(path, &folder, nullptr);
  return SyncFolder(folder);
}

VResult VFile::CopyFrom(VDirElement& element) {
  if (!element.IsFile() || !element.Exists()) return kVNoSource;
  VFile& source = static_cast<VFile&>(element);
  bool sourceOpen = source.IsOpen();
  VFileStream* in = source.ReadStream();
  if (in == nullptr) return kVOpenFailed;
  VFileStream* out = WriteStream();
  VResult result = kVOpenFailed;
  if (out != nullptr) {
    result = out->CopyFrom(*in) ? out->WriteOut() : kVWriteFailed;
    if (result == kVOk) result = out->Error();
    VResult closed = Close();
    if (result == kVOk) result = closed;
  }
  // The source was only read from.
  if (!sourceOpen) (void)source.Close();
  return result;
}

VResult VFile::MoveFrom(VDirElement& element) {
  VResult r = CopyFrom(element);
  if (r != kVOk) return r;
  return element.Remove();
}

// --- VPioNames ---

bool VPioNames::Add(const std::string& name, uint16_t kind) {
  uint8_t element[130] = {};
  size_t n = name.size() < 127 ? name.size() : 127;
  std::memcpy(element, name.data(), n);
  std::memcpy(element + 128, &kind, 2);
  return Append(element);
}

std::string VPioNames::NameAt(int32_t index) const {
  const char* element = static_cast<const char*>(ElementAt(index));
  return element ? std::string(element, strnlen(element, 128)) : std::string();
}

uint16_t VPioNames::KindAt(int32_t index) const {
  const uint8_t* element = static_cast<const uint8_t*>(ElementAt(index));
  uint16_t kind = 0;
  if (element) std::memcpy(&kind, element + 128, 2);
  return kind;
}

VResult VListDirectory(const std::string& portablePath, VPioNames* names) {
  names->Reset();
  if (portablePath.empty()) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      std::string variable = std::string("VARNEX_DRIVE_") + letter;
      if (std::getenv(variable.c_str())) names->Add(std::string(1, letter) + ":", 2);
    }
    return kVOk;
  }
  std::string path;
  if (VPlatformPath(portablePath, &path) != kVOk) return kVInvalidPath;
  std::vector<std::string> entries;
  if (VSys().ListNames(path.c_str(), &entries) != 0) return kVOpenFailed;
  for (const std::string& name : entries) {
    struct stat st;
    if (!StatPath(path + "/" + name, &st)) continue;
    if (S_ISDIR(st.st_mode)) {
      names->Add(name, 2);
    } else if (S_ISREG(st.st_mode)) {
      names->Add(name, 1);
    }
  }
  return kVOk;
}

// --- VDir ---

VDir::VDir(std::string path, VDir* parent) : VDirElement(parent, std::move(path)) {}

VDir::~VDir() { children_.DeleteAll(); }

bool VDir::Exists() const {
  std::string path;
  struct stat st;
  return PlatformPath(&path) == kVOk && StatPath(path, &st) && S_ISDIR(st.st_mode);
}

VResult VDir::Create(bool withParents) {
  std::string path;
  if (PlatformPath(&path) != kVOk) return kVInvalidPath;
  if (Exists()) return withParents ? kVOk : kVMkdirFailed;
  if (withParents) return MakeDirectories(path);
  if (VSys().Mkdir(path.c_str(), 0777) != 0) return kVMkdirFailed;
  return SyncParent(path) == kVOk ? kVOk : kVMkdirFailed;
}

VResult VDir::Remove() {
  std::string path;
  if (PlatformPath(&path) != kVOk) return kVInvalidPath;
  List(3);
  for (int32_t i = 0; i < children_.Count(); ++i) {
    VResult r = ChildAt(i)->Remove();
    if (r != kVOk) return r;
  }
  children_.DeleteAll();
  if (VSys().Rmdir(path.c_str()) != 0) return kVRmdirFailed;
  return SyncParent(path) == kVOk ? kVOk : kVRmdirFailed;
}

VResult VDir::Open(bool readOnly) {
  VResult result = kVOk;
  for (int32_t i = 0; i < children_.Count(); ++i) {
    VDirElement* child = ChildAt(i);
    if (child->IsFile()) {
      VResult r = child->Open(readOnly);
      if (result == kVOk && r != kVOk && r != kVAlreadyOpen) result = r;
    }
  }
  return result;
}

VResult VDir::Close() {
  // Every open file is closed; the first failure is the answer.
  VResult result = kVOk;
  for (int32_t i = 0; i < children_.Count(); ++i) {
    VDirElement* child = ChildAt(i);
    if (child->IsFile() && static_cast<VFile*>(child)->IsOpen()) {
      VResult closed = child->Close();
      if (result == kVOk) result = closed;
    }
  }
  return result;
}

VResult VDir::Flush() {
  VResult result = kVOk;
  for (int32_t i = 0; i < children_.Count(); ++i) {
    VDirElement* child = ChildAt(i);
    if (child->IsFile() && static_cast<VFile*>(child)->IsOpen()) {
      VResult r = child->Flush();
      if (result == kVOk) result = r;
    }
  }
  return result;
}

VResult VDir::CopyFrom(VDirElement& element) {
  if (!element.Exists()) return kVNoSource;
  if (!element.IsFile()) return kVNoSource;
  std::string name;
  VSplitPath(element.FullPath(), nullptr, &name);
  auto* file = new VFile(name, this);
  children_.Append(file);
  return file->CopyFrom(element);
}

VResult VDir::MoveFrom(VDirElement& element) {
  VResult r = CopyFrom(element);
  if (r != kVOk) return r;
  return element.Remove();
}

int32_t VDir::List(int kinds) {
  children_.DeleteAll();
  VPioNames names;
  if (VListDirectory(FullPath(), &names) != kVOk) return 0;
  for (int32_t i = 0; i < names.Count(); ++i) {
    uint16_t kind = names.KindAt(i);
    if (kind == 1 && (kinds & 1)) children_.Append(new VFile(names.NameAt(i), this));
    if (kind == 2 && (kinds & 2)) children_.Append(new VDir(names.NameAt(i), this));
  }
  return children_.Count();
}

VDirElement* VDir::Child(const std::string& name) const {
  for (int32_t i = 0; i < children_.Count(); ++i) {
    VDirElement* child = ChildAt(i);
    if (SameIgnoringCase(child->Name(), name)) return child;
  }
  return nullptr;
}

bool VDir::HasChild(const std::string& name) const {
  if (Child(name) != nullptr) return true;
  VFile file(name, const_cast<VDir*>(this));
  VDir dir(name, const_cast<VDir*>(this));
  return file.Exists() || dir.Exists();
}

std::unique_ptr<VDir> VCurrentDirectory() { return std::make_unique<VDir>("."); }

std::unique_ptr<VDir> VTemporaryDirectory() { return std::make_unique<VDir>(VTempDirectoryPath()); }
