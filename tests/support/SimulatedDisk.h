// A disk in memory behind the foundation's system-call table (VSystemCalls), for power-loss and
// failing-disk tests.
//
// Every path under the root given at construction lives on the simulated disk; any other path, and
// any file descriptor the disk did not hand out, goes to the system. The disk remembers for every
// file what has been made durable (its bytes at the last fsync or fdatasync) and the writes made
// since (split at 4096-byte pages, as the kernel writes them back), and for every directory its
// entries at the last sync of the directory and the changes made since (creations, removals,
// renames). A power cut replaces every file and directory by its durable state plus the unsynced
// changes a chosen rule keeps: none, all (what killing the process leaves), only the latest of
// each file or directory with every change of a file's length (the journal kept the metadata and
// a later page reached the platter first, the earlier ones reading as zeros), or a random subset.
//
// Failures: any call, counted from the moment the count is reset, can be made to fail once or
// from then on with EIO, ENOSPC or a short write. A failed fsync loses the writes it was to make
// durable (they stay readable until the power goes, and a later successful fsync does not bring
// them back), as Linux does. After a power cut has been scheduled and reached, every call fails
// with EIO until the cut is applied.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/VSystemCalls.h"

class SimulatedDisk : public VSystemCalls {
 public:
  // What a call is, for choosing the faults that can hit it.
  enum class Call : uint8_t {
    kOpen,
    kCreate,  // an open with O_CREAT
    kClose,
    kRead,
    kWrite,
    kSync,
    kTruncate,
    kStat,
    kLock,
    kUnlink,
    kRename,
    kMkdir,
    kRmdir,
    kList,
  };
  enum class Fault : uint8_t { kEIO, kENOSPC, kShortWrite };
  // Which unsynced changes a power cut keeps.
  enum class Keep : uint8_t { kNothing, kEverything, kLatest, kRandom };
  // Every rule, for the tests that cut the power under each.
  static constexpr Keep kAllKeeps[] = {Keep::kNothing, Keep::kEverything, Keep::kLatest,
                                       Keep::kRandom};

  // root: an absolute path of an existing, empty real directory; the disk installs itself as the
  // system-call table and puts the previous table back when it goes.
  explicit SimulatedDisk(std::string root);
  ~SimulatedDisk() override;
  SimulatedDisk(const SimulatedDisk&) = delete;
  SimulatedDisk& operator=(const SimulatedDisk&) = delete;

  // ---- the calls ----
  int Open(const char* path, int flags, mode_t mode) override;
  int Close(int fd) override;
  ssize_t PRead(int fd, void* buffer, size_t count, off_t offset) override;
  ssize_t PWrite(int fd, const void* buffer, size_t count, off_t offset) override;
  ssize_t PWriteV(int fd, const iovec* vectors, int count, off_t offset) override;
  int FSync(int fd) override;
  int FDataSync(int fd) override;
  int FTruncate(int fd, off_t size) override;
  int FStat(int fd, struct stat* st) override;
  int Stat(const char* path, struct stat* st) override;
  int Flock(int fd, int operation) override;
  int Unlink(const char* path) override;
  int Rename(const char* from, const char* to) override;
  int Mkdir(const char* path, mode_t mode) override;
  int Rmdir(const char* path) override;
  int ListNames(const char* path, std::vector<std::string>* names) override;

  // ---- counting and faults ----
  // Starts counting calls from 0 again and forgets the trace and the faults and cut planned.
  void ResetCount();
  int64_t Calls() const { return calls_; }
  // The kind of every call since the count was reset.
  const std::vector<Call>& Trace() const { return trace_; }
  // Call number n (counted from 0 since the reset) fails with the fault; with persistent, so does
  // every later call that the fault can hit.
  void FailCall(int64_t n, Fault fault, bool persistent);
  // After n more calls the power goes: that call and every later one fail with EIO.
  void CutPowerAfter(int64_t n);
  bool PowerLost() const { return dead_; }
  // Whether the fault can hit a call of this kind (a short write only a write of 2 bytes or more,
  // which the trace does not tell: it is taken to apply to every write).
  static bool Applies(Fault fault, Call call);
  // Stops every planned fault and cut (the disk works again; what was lost stays lost).
  void Heal();

  // ---- power ----
  // Applies a power cut now: every file and directory becomes its durable state plus the unsynced
  // changes that keep selects (seed drives kRandom). Every open file descriptor is gone; the disk
  // works again.
  void PowerCut(Keep keep, uint32_t seed = 0);
  // Makes everything durable, as a clean shutdown and sync would.
  void SyncEverything();
  // Unsynced changes now waiting (file pages and directory changes).
  int64_t PendingChanges() const;

  // ---- looking at the disk (no call is counted) ----
  bool Exists(const std::string& path) const;
  std::optional<std::vector<uint8_t>> Contents(const std::string& path) const;
  void SetContents(const std::string& path, const std::vector<uint8_t>& bytes);
  // Names in a directory, sorted; empty when there is none.
  std::vector<std::string> Names(const std::string& path) const;
  const std::string& Root() const { return root_; }

  // A copy of the whole disk (durable and unsynced state), and putting it back; open file
  // descriptors are not part of it and are dropped by Restore.
  struct Image;
  std::shared_ptr<const Image> Save() const;
  void Restore(const std::shared_ptr<const Image>& image);

  struct Node;

 private:
  struct Handle {
    std::shared_ptr<Node> node;
    bool write = false;
    int lock = 0;  // 0, LOCK_SH or LOCK_EX
  };

  // The simulated node named by path, or null with errno; parent gets its directory and name its
  // last component when asked (they are set even when the node does not exist).
  std::shared_ptr<Node> Find(const std::string& path, std::shared_ptr<Node>* parent,
                             std::string* name) const;
  bool Simulated(const char* path, std::string* absolute) const;
  Handle* HandleOf(int fd);
  // Counts the call; answers false (errno set) when a fault or the cut hits it.
  bool Enter(Call call, int* fault = nullptr);
  ssize_t Write(Handle& handle, const uint8_t* bytes, size_t count, off_t offset);
  int Sync(int fd);

  std::string root_;
  std::shared_ptr<Node> top_;
  VSystemCalls* previous_ = nullptr;
  std::map<int, Handle> handles_;
  int nextFd_ = 1 << 20;
  uint64_t nextInode_ = 2;
  int64_t calls_ = 0;
  std::vector<Call> trace_;
  int64_t failAt_ = -1;
  Fault fault_ = Fault::kEIO;
  bool persistent_ = false;
  int64_t cutAt_ = -1;
  bool dead_ = false;
};
