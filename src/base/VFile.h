// Files and directories named by portable paths (see VPath.h), with the engine's result codes.
//
// A VFile opened read-write holds an exclusive advisory lock on the file and a read-only open a
// shared one, so two writers can never share a file; a refused lock is an open failure (-22).
// A file has at most one stream at a time; Close deletes it.
//
// Every call to the system goes through VSys() (VSystemCalls.h). A directory made by Create (with
// its parents) or removed by Remove is on the disk when the call answers 0: the entry in its
// parent is synced.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "base/VArray.h"
#include "base/VList.h"
#include "base/VString.h"

class VDir;
class VFileStream;

// Result codes of the file layer.
constexpr VResult kVNotOpen = -10;
constexpr VResult kVAlreadyOpen = -11;
constexpr VResult kVBusy = -12;
constexpr VResult kVNoParent = -16;
constexpr VResult kVMkdirFailed = -17;
constexpr VResult kVRmdirFailed = -18;
constexpr VResult kVCreateFailed = -20;
constexpr VResult kVDeleteFailed = -21;
constexpr VResult kVOpenFailed = -22;
constexpr VResult kVCloseNoHandle = -23;
constexpr VResult kVFlushNoHandle = -24;
constexpr VResult kVRenameFailed = -25;
constexpr VResult kVSeekFailed = -26;
constexpr VResult kVReadFailed = -28;
constexpr VResult kVWriteFailed = -29;
constexpr VResult kVSizeFailed = -30;
constexpr VResult kVSetSizeFailed = -31;
constexpr VResult kVNoSource = -32;

class VDirElement : public VObj {
 public:
  // name is a single name under parent, or a whole portable path when there is no parent.
  VDirElement(VDir* parent, std::string name);

  virtual bool IsFile() const { return false; }
  virtual bool IsDirectory() const { return false; }
  virtual bool IsRoot() const { return name_ == "/"; }
  virtual std::string FullPath() const;
  virtual VResult OpenAll(bool readOnly);
  virtual VResult CloseAll();
  virtual VResult FlushAll();
  virtual bool Exists() const = 0;
  virtual VResult Create(bool withParents) = 0;
  virtual VResult Remove() = 0;
  virtual VResult Open(bool readOnly) = 0;
  virtual VResult Close() = 0;
  virtual VResult Flush() = 0;
  virtual VResult CopyFrom(VDirElement& element) = 0;
  virtual VResult MoveFrom(VDirElement& element) = 0;

  const std::string& Name() const { return name_; }
  VDir* Parent() const { return parent_; }
  // The Linux path of the element, or the invalid-path code.
  VResult PlatformPath(std::string* path) const;

 protected:
  VDir* parent_;
  std::string name_;
};

class VFile : public VDirElement {
 public:
  explicit VFile(std::string path, VDir* parent = nullptr);
  ~VFile() override;

  bool IsFile() const override { return true; }
  bool Exists() const override;
  VResult Create(bool withParents) override;
  VResult Remove() override;
  VResult Open(bool readOnly) override;
  // Writes out the stream's buffer and closes; a failed write-out of the stream, now or earlier
  // (bytes written through it are lost), or a failing close of a file open for writing is the
  // answer.
  VResult Close() override;
  // Writes out the stream's buffer, then flushes the file's data to the disk (fdatasync); as Close,
  // a write-out of the stream that failed earlier is the answer.
  VResult Flush() override;
  VResult CopyFrom(VDirElement& element) override;
  VResult MoveFrom(VDirElement& element) override;
  virtual VResult Rename(const std::string& newPath);

  bool IsOpen() const { return fd_ >= 0; }
  bool IsReadOnly() const { return readOnly_; }
  // Whole transfers at an offset: anything short of count is -28 / -29.
  VResult ReadAt(int64_t offset, void* buffer, int32_t count);
  VResult WriteAt(int64_t offset, const void* buffer, int32_t count);
  // Writes the buffers one after another from offset, in as few system calls as it can: the same
  // bytes as WriteAt of each in turn.
  VResult WriteGatheredAt(int64_t offset, std::span<const std::span<const uint8_t>> buffers);
  // A read that may stop at the end of the file; got receives the bytes read.
  VResult ReadSome(int64_t offset, void* buffer, int32_t count, int32_t* got);
  VResult FileSize(int64_t* size);
  VResult SetFileSize(int64_t size);
  // Opens read-only when not open; the stream belongs to the file (null when the open fails).
  VFileStream* ReadStream();
  // When not open: replaces any existing file with a new one opened read-write.
  VFileStream* WriteStream();
  // Makes the file's directory entry durable (after creating, renaming or removing a file).
  VResult SyncDirectory() const;

 private:
  VFileStream* NewStream();

  int fd_ = -1;
  bool readOnly_ = false;
  std::unique_ptr<VFileStream> stream_;
};

// The result of listing a directory: 130-byte elements, a zero-terminated name of up to 128 bytes
// then the kind (1 file, 2 directory).
class VPioNames : public VArray {
 public:
  VPioNames() : VArray(130) {}
  bool Add(const std::string& name, uint16_t kind);
  std::string NameAt(int32_t index) const;
  uint16_t KindAt(int32_t index) const;
};

class VDir : public VDirElement {
 public:
  explicit VDir(std::string path, VDir* parent = nullptr);
  ~VDir() override;

  bool IsDirectory() const override { return true; }
  bool Exists() const override;
  VResult Create(bool withParents) override;
  // Removes every child, files and directories alike, then the directory.
  VResult Remove() override;
  // Opening, closing and flushing a directory applies the operation to its listed children.
  VResult Open(bool readOnly) override;
  VResult Close() override;
  VResult Flush() override;
  VResult CopyFrom(VDirElement& element) override;
  VResult MoveFrom(VDirElement& element) override;

  // Empties the child list and fills it from the platform listing: kind bit 1 lists files, bit 2
  // subdirectories. Answers the number of children.
  int32_t List(int kinds);
  // The first listed child whose name equals name ignoring ASCII case.
  VDirElement* Child(const std::string& name) const;
  bool HasChild(const std::string& name) const;
  int32_t ChildCount() const { return children_.Count(); }
  VDirElement* ChildAt(int32_t index) const { return children_.AtAs<VDirElement>(index); }

 private:
  VList children_;
};

// Lists a directory into names; an empty path lists the mapped drives ("C:" for VARNEX_DRIVE_C).
VResult VListDirectory(const std::string& portablePath, VPioNames* names);

// Roots for the current directory (".") and the temporary directory.
std::unique_ptr<VDir> VCurrentDirectory();
std::unique_ptr<VDir> VTemporaryDirectory();
