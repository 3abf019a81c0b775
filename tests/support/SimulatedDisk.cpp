#include "SimulatedDisk.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <random>
#include <set>

namespace {

constexpr int64_t kPage = 4096;

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  return parts;
}

std::string Absolute(const std::string& path) {
  std::string full = path;
  if (full.empty() || full.front() != '/') {
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
    full = std::string(cwd) + "/" + full;
  }
  std::string out;
  for (const std::string& part : Components(full)) out += "/" + part;
  return out.empty() ? "/" : out;
}

int Fail(int error) {
  errno = error;
  return -1;
}

}  // namespace

// One file or directory. A file's durable bytes plus its changes, in order, give its live bytes
// (unless a failed sync lost some of them); likewise a directory's entries.
struct SimulatedDisk::Node {
  struct Change {
    int64_t offset = 0;  // a write's offset, or the new size of a resize
    std::vector<uint8_t> bytes;
    bool resize = false;
  };
  struct EntryChange {
    std::string name;
    std::shared_ptr<Node> node;  // null: the name is removed
    std::string from;            // a rename within the directory: the old name goes at once
  };

  bool directory = false;
  uint64_t inode = 0;
  std::vector<uint8_t> live;
  std::vector<uint8_t> durable;
  std::vector<Change> changes;
  std::map<std::string, std::shared_ptr<Node>> entries;
  std::map<std::string, std::shared_ptr<Node>> durableEntries;
  std::vector<EntryChange> entryChanges;
  int shared = 0;
  bool exclusive = false;

  static void Apply(std::vector<uint8_t>* bytes, const Change& change) {
    if (change.resize) {
      bytes->resize(static_cast<size_t>(change.offset));
      return;
    }
    const size_t end = static_cast<size_t>(change.offset) + change.bytes.size();
    if (bytes->size() < end) bytes->resize(end);
    std::copy(change.bytes.begin(), change.bytes.end(), bytes->begin() + change.offset);
  }
  static void Apply(std::map<std::string, std::shared_ptr<Node>>* names,
                    const EntryChange& change) {
    if (!change.from.empty()) names->erase(change.from);
    if (change.node == nullptr) {
      names->erase(change.name);
    } else {
      (*names)[change.name] = change.node;
    }
  }
  // Makes durable whatever is pending (a successful sync).
  void Settle() {
    for (const Change& change : changes) Apply(&durable, change);
    changes.clear();
    for (const EntryChange& change : entryChanges) Apply(&durableEntries, change);
    entryChanges.clear();
  }
  void AddEntry(const std::string& name, std::shared_ptr<Node> node, const std::string& from = "") {
    EntryChange change{name, std::move(node), from};
    Apply(&entries, change);
    entryChanges.push_back(std::move(change));
  }
};

struct SimulatedDisk::Image {
  std::shared_ptr<Node> top;
  uint64_t nextInode = 0;
};

namespace {

using NodePtr = std::shared_ptr<SimulatedDisk::Node>;

// Every node reachable from top through live entries, durable entries or pending changes, each
// once, in a fixed order.
std::vector<NodePtr> AllNodes(const NodePtr& top) {
  std::vector<NodePtr> nodes;
  std::set<const SimulatedDisk::Node*> seen;
  std::function<void(const NodePtr&)> walk = [&](const NodePtr& node) {
    if (node == nullptr || !seen.insert(node.get()).second) return;
    nodes.push_back(node);
    for (const auto& entry : node->entries) walk(entry.second);
    for (const auto& entry : node->durableEntries) walk(entry.second);
    for (const auto& change : node->entryChanges) walk(change.node);
  };
  walk(top);
  return nodes;
}

NodePtr CopyNode(const NodePtr& node, std::map<const SimulatedDisk::Node*, NodePtr>* copies) {
  if (node == nullptr) return nullptr;
  auto found = copies->find(node.get());
  if (found != copies->end()) return found->second;
  auto copy = std::make_shared<SimulatedDisk::Node>();
  (*copies)[node.get()] = copy;
  copy->directory = node->directory;
  copy->inode = node->inode;
  copy->live = node->live;
  copy->durable = node->durable;
  copy->changes = node->changes;
  for (const auto& [name, child] : node->entries) copy->entries[name] = CopyNode(child, copies);
  for (const auto& [name, child] : node->durableEntries) {
    copy->durableEntries[name] = CopyNode(child, copies);
  }
  for (const auto& change : node->entryChanges) {
    copy->entryChanges.push_back({change.name, CopyNode(change.node, copies), change.from});
  }
  return copy;
}

}  // namespace

SimulatedDisk::SimulatedDisk(std::string root) : root_(Absolute(root)) {
  top_ = std::make_shared<Node>();
  top_->directory = true;
  top_->inode = 1;
  previous_ = VSetSystemCalls(this);
}

SimulatedDisk::~SimulatedDisk() { VSetSystemCalls(previous_); }

// ---- paths and handles ----

bool SimulatedDisk::Simulated(const char* path, std::string* absolute) const {
  *absolute = Absolute(path);
  return *absolute == root_ ||
         (absolute->size() > root_.size() && absolute->compare(0, root_.size(), root_) == 0 &&
          (*absolute)[root_.size()] == '/');
}

std::shared_ptr<SimulatedDisk::Node> SimulatedDisk::Find(const std::string& absolute,
                                                         std::shared_ptr<Node>* parent,
                                                         std::string* name) const {
  const std::vector<std::string> parts = Components(absolute.substr(root_.size()));
  if (parent != nullptr) *parent = nullptr;
  if (parts.empty()) return top_;
  NodePtr at = top_;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    auto next = at->entries.find(parts[i]);
    if (next == at->entries.end()) {
      errno = ENOENT;
      return nullptr;
    }
    if (!next->second->directory) {
      errno = ENOTDIR;
      return nullptr;
    }
    at = next->second;
  }
  if (parent != nullptr) *parent = at;
  if (name != nullptr) *name = parts.back();
  auto found = at->entries.find(parts.back());
  if (found == at->entries.end()) {
    errno = ENOENT;
    return nullptr;
  }
  return found->second;
}

SimulatedDisk::Handle* SimulatedDisk::HandleOf(int fd) {
  auto found = handles_.find(fd);
  return found == handles_.end() ? nullptr : &found->second;
}

bool SimulatedDisk::Applies(Fault fault, Call call) {
  switch (fault) {
    case Fault::kEIO:
      return true;
    case Fault::kENOSPC:
      return call == Call::kWrite || call == Call::kTruncate || call == Call::kCreate ||
             call == Call::kMkdir || call == Call::kRename;
    case Fault::kShortWrite:
      return call == Call::kWrite;
  }
  return false;
}

bool SimulatedDisk::Enter(Call call, int* fault) {
  if (fault != nullptr) *fault = 0;
  if (dead_) return Fail(EIO), false;
  const int64_t n = calls_++;
  trace_.push_back(call);
  if (cutAt_ >= 0 && n >= cutAt_) {
    dead_ = true;
    return Fail(EIO), false;
  }
  bool hit = false;
  if (failAt_ >= 0 && n >= failAt_ && Applies(fault_, call)) {
    hit = n == failAt_ || persistent_;
  }
  if (!hit) return true;
  if (fault_ == Fault::kShortWrite) {
    if (fault != nullptr) *fault = 1;
    return true;
  }
  return Fail(fault_ == Fault::kEIO ? EIO : ENOSPC), false;
}

void SimulatedDisk::ResetCount() {
  calls_ = 0;
  trace_.clear();
  failAt_ = -1;
  persistent_ = false;
  if (!dead_) cutAt_ = -1;
}

void SimulatedDisk::FailCall(int64_t n, Fault fault, bool persistent) {
  failAt_ = n;
  fault_ = fault;
  persistent_ = persistent;
}

void SimulatedDisk::CutPowerAfter(int64_t n) { cutAt_ = calls_ + n; }

void SimulatedDisk::Heal() {
  failAt_ = -1;
  persistent_ = false;
  cutAt_ = -1;
  dead_ = false;
}

// ---- the calls ----

int SimulatedDisk::Open(const char* path, int flags, mode_t mode) {
  std::string absolute;
  if (!Simulated(path, &absolute)) return VRealSystemCalls().Open(path, flags, mode);
  if (!Enter((flags & O_CREAT) != 0 ? Call::kCreate : Call::kOpen)) return -1;
  NodePtr parent;
  std::string name;
  NodePtr node = Find(absolute, &parent, &name);
  const int access = flags & O_ACCMODE;
  if (node != nullptr) {
    if ((flags & O_CREAT) != 0 && (flags & O_EXCL) != 0) return Fail(EEXIST);
    if (node->directory && access != O_RDONLY) return Fail(EISDIR);
    if ((flags & O_DIRECTORY) != 0 && !node->directory) return Fail(ENOTDIR);
  } else {
    if (parent == nullptr) return -1;
    if ((flags & O_CREAT) == 0) return Fail(ENOENT);
    node = std::make_shared<Node>();
    node->inode = nextInode_++;
    parent->AddEntry(name, node);
  }
  if ((flags & O_TRUNC) != 0 && access != O_RDONLY && !node->directory) {
    Node::Change change{0, {}, true};
    Node::Apply(&node->live, change);
    node->changes.push_back(std::move(change));
  }
  const int fd = nextFd_++;
  handles_[fd] = Handle{node, access != O_RDONLY, 0};
  return fd;
}

int SimulatedDisk::Close(int fd) {
  Handle* handle = HandleOf(fd);
  if (handle == nullptr) return VRealSystemCalls().Close(fd);
  const bool entered = Enter(Call::kClose);
  // The descriptor goes whether or not the close succeeds, and with it its lock.
  if (handle->lock == LOCK_SH) --handle->node->shared;
  if (handle->lock == LOCK_EX) handle->node->exclusive = false;
  handles_.erase(fd);
  return entered ? 0 : -1;
}

ssize_t SimulatedDisk::PRead(int fd, void* buffer, size_t count, off_t offset) {
  Handle* handle = HandleOf(fd);
  if (handle == nullptr) return VRealSystemCalls().PRead(fd, buffer, count, offset);
  if (!Enter(Call::kRead)) return -1;
  if (handle->node->directory) return Fail(EISDIR);
  const std::vector<uint8_t>& bytes = handle->node->live;
  if (offset < 0) return Fail(EINVAL);
  if (static_cast<size_t>(offset) >= bytes.size()) return 0;
  const size_t n = std::min(count, bytes.size() - static_cast<size_t>(offset));
  std::memcpy(buffer, bytes.data() + offset, n);
  return static_cast<ssize_t>(n);
}

ssize_t SimulatedDisk::Write(Handle& handle, const uint8_t* bytes, size_t count, off_t offset) {
  if (!handle.write) return Fail(EBADF);
  if (offset < 0) return Fail(EINVAL);
  Node& node = *handle.node;
  // A write past the end changes the file's length as well as its pages: the length is metadata,
  // which the file system's journal may keep while the pages are lost.
  const int64_t end = offset + static_cast<int64_t>(count);
  if (end > static_cast<int64_t>(node.live.size())) {
    Node::Change grow{end, {}, true};
    Node::Apply(&node.live, grow);
    node.changes.push_back(std::move(grow));
  }
  size_t done = 0;
  while (done < count) {
    const int64_t at = offset + static_cast<int64_t>(done);
    const size_t piece = std::min(count - done, static_cast<size_t>(kPage - at % kPage));
    Node::Change change{at, std::vector<uint8_t>(bytes + done, bytes + done + piece), false};
    Node::Apply(&node.live, change);
    node.changes.push_back(std::move(change));
    done += piece;
  }
  return static_cast<ssize_t>(count);
}

ssize_t SimulatedDisk::PWrite(int fd, const void* buffer, size_t count, off_t offset) {
  Handle* handle = HandleOf(fd);
  if (handle == nullptr) return VRealSystemCalls().PWrite(fd, buffer, count, offset);
  int fault = 0;
  if (!Enter(Call::kWrite, &fault)) return -1;
  if (fault != 0 && count >= 2) count /= 2;
  return Write(*handle, static_cast<const uint8_t*>(buffer), count, offset);
}

ssize_t SimulatedDisk::PWriteV(int fd, const iovec* vectors, int count, off_t offset) {
  Handle* handle = HandleOf(fd);
  if (handle == nullptr) return VRealSystemCalls().PWriteV(fd, vectors, count, offset);
  int fault = 0;
  if (!Enter(Call::kWrite, &fault)) return -1;
  std::vector<uint8_t> gathered;
  for (int i = 0; i < count; ++i) {
    const uint8_t* base = static_cast<const uint8_t*>(vectors[i].iov_base);
    gathered.insert(gathered.end(), base, base + vectors[i].iov_len);
  }
  size_t size = gathered.size();
  if (fault != 0 && size >= 2) size /= 2;
  return Write(*handle, gathered.data(), size, offset);
}

int SimulatedDisk::Sync(int fd) {
  Handle* handle = HandleOf(fd);
  if (!Enter(Call::kSync)) {
    // The kernel drops the pages it failed to write: they never become durable now.
    if (!dead_ && handle != nullptr) {
      handle->node->changes.clear();
      handle->node->entryChanges.clear();
    }
    return -1;
  }
  if (handle == nullptr) return Fail(EBADF);
  handle->node->Settle();
  return 0;
}

int SimulatedDisk::FSync(int fd) {
  if (HandleOf(fd) == nullptr) return VRealSystemCalls().FSync(fd);
  return Sync(fd);
}

int SimulatedDisk::FDataSync(int fd) {
  if (HandleOf(fd) == nullptr) return VRealSystemCalls().FDataSync(fd);
  return Sync(fd);
}

int SimulatedDisk::FTruncate(int fd, off_t size) {
  Handle* handle = HandleOf(fd);
  if (handle == nullptr) return VRealSystemCalls().FTruncate(fd, size);
  if (!Enter(Call::kTruncate)) return -1;
  if (!handle->write || handle->node->directory || size < 0) return Fail(EINVAL);
  Node::Change change{size, {}, true};
  Node::Apply(&handle->node->live, change);
  handle->node->changes.push_back(std::move(change));
  return 0;
}

namespace {

void FillStat(const SimulatedDisk::Node& node, struct stat* st) {
  std::memset(st, 0, sizeof *st);
  st->st_mode = node.directory ? (S_IFDIR | 0755) : (S_IFREG | 0644);
  st->st_ino = node.inode;
  st->st_nlink = 1;
  st->st_size = static_cast<off_t>(node.live.size());
  st->st_blksize = 4096;
  st->st_blocks = static_cast<blkcnt_t>((node.live.size() + 511) / 512);
}

}  // namespace

int SimulatedDisk::FStat(int fd, struct stat* st) {
  Handle* handle = HandleOf(fd);
  if (handle == nullptr) return VRealSystemCalls().FStat(fd, st);
  if (!Enter(Call::kStat)) return -1;
  FillStat(*handle->node, st);
  return 0;
}

int SimulatedDisk::Stat(const char* path, struct stat* st) {
  std::string absolute;
  if (!Simulated(path, &absolute)) return VRealSystemCalls().Stat(path, st);
  if (!Enter(Call::kStat)) return -1;
  NodePtr node = Find(absolute, nullptr, nullptr);
  if (node == nullptr) return -1;
  FillStat(*node, st);
  return 0;
}

int SimulatedDisk::Flock(int fd, int operation) {
  Handle* handle = HandleOf(fd);
  if (handle == nullptr) return VRealSystemCalls().Flock(fd, operation);
  if (!Enter(Call::kLock)) return -1;
  Node& node = *handle->node;
  const int wanted = operation & ~LOCK_NB;
  if (handle->lock == LOCK_SH) --node.shared;
  if (handle->lock == LOCK_EX) node.exclusive = false;
  handle->lock = 0;
  if (wanted == LOCK_UN) return 0;
  if (node.exclusive || (wanted == LOCK_EX && node.shared > 0)) return Fail(EWOULDBLOCK);
  if (wanted == LOCK_EX) {
    node.exclusive = true;
  } else {
    ++node.shared;
  }
  handle->lock = wanted;
  return 0;
}

int SimulatedDisk::Unlink(const char* path) {
  std::string absolute;
  if (!Simulated(path, &absolute)) return VRealSystemCalls().Unlink(path);
  if (!Enter(Call::kUnlink)) return -1;
  NodePtr parent;
  std::string name;
  NodePtr node = Find(absolute, &parent, &name);
  if (node == nullptr) return -1;
  if (node->directory) return Fail(EISDIR);
  parent->AddEntry(name, nullptr);
  return 0;
}

int SimulatedDisk::Rename(const char* from, const char* to) {
  std::string source;
  std::string target;
  const bool simulatedFrom = Simulated(from, &source);
  const bool simulatedTo = Simulated(to, &target);
  if (!simulatedFrom && !simulatedTo) return VRealSystemCalls().Rename(from, to);
  if (simulatedFrom != simulatedTo) return Fail(EXDEV);
  if (!Enter(Call::kRename)) return -1;
  NodePtr fromParent;
  std::string fromName;
  NodePtr node = Find(source, &fromParent, &fromName);
  if (node == nullptr) return -1;
  NodePtr toParent;
  std::string toName;
  NodePtr existing = Find(target, &toParent, &toName);
  if (toParent == nullptr) return -1;
  if (existing == node) return 0;
  if (existing != nullptr && existing->directory != node->directory) {
    return Fail(existing->directory ? EISDIR : ENOTDIR);
  }
  if (existing != nullptr && existing->directory && !existing->entries.empty()) {
    return Fail(ENOTEMPTY);
  }
  if (toParent == fromParent) {
    // Within one directory the journal makes a rename atomic: one change.
    toParent->AddEntry(toName, node, fromName);
  } else {
    toParent->AddEntry(toName, node);
    fromParent->AddEntry(fromName, nullptr);
  }
  return 0;
}

int SimulatedDisk::Mkdir(const char* path, mode_t mode) {
  std::string absolute;
  if (!Simulated(path, &absolute)) return VRealSystemCalls().Mkdir(path, mode);
  if (!Enter(Call::kMkdir)) return -1;
  NodePtr parent;
  std::string name;
  NodePtr node = Find(absolute, &parent, &name);
  if (node != nullptr) return Fail(EEXIST);
  if (parent == nullptr) return -1;
  node = std::make_shared<Node>();
  node->directory = true;
  node->inode = nextInode_++;
  parent->AddEntry(name, node);
  return 0;
}

int SimulatedDisk::Rmdir(const char* path) {
  std::string absolute;
  if (!Simulated(path, &absolute)) return VRealSystemCalls().Rmdir(path);
  if (!Enter(Call::kRmdir)) return -1;
  NodePtr parent;
  std::string name;
  NodePtr node = Find(absolute, &parent, &name);
  if (node == nullptr) return -1;
  if (parent == nullptr) return Fail(EBUSY);
  if (!node->directory) return Fail(ENOTDIR);
  if (!node->entries.empty()) return Fail(ENOTEMPTY);
  parent->AddEntry(name, nullptr);
  return 0;
}

int SimulatedDisk::ListNames(const char* path, std::vector<std::string>* names) {
  std::string absolute;
  if (!Simulated(path, &absolute)) return VRealSystemCalls().ListNames(path, names);
  names->clear();
  if (!Enter(Call::kList)) return -1;
  NodePtr node = Find(absolute, nullptr, nullptr);
  if (node == nullptr) return -1;
  if (!node->directory) return Fail(ENOTDIR);
  for (const auto& entry : node->entries) names->push_back(entry.first);
  return 0;
}

// ---- power ----

void SimulatedDisk::PowerCut(Keep keep, uint32_t seed) {
  std::mt19937 random(seed);
  auto kept = [&](size_t index, size_t count, bool metadata) {
    switch (keep) {
      case Keep::kNothing:
        return false;
      case Keep::kEverything:
        return true;
      case Keep::kLatest:
        return metadata || index + 1 == count;
      case Keep::kRandom:
        return (random() & 1) != 0;
    }
    return false;
  };
  // Every node's state after the cut is worked out from its own state before it.
  const std::vector<NodePtr> nodes = AllNodes(top_);
  std::vector<std::vector<uint8_t>> bytes(nodes.size());
  std::vector<std::map<std::string, NodePtr>> names(nodes.size());
  for (size_t n = 0; n < nodes.size(); ++n) {
    const Node& node = *nodes[n];
    bytes[n] = node.durable;
    for (size_t i = 0; i < node.changes.size(); ++i) {
      if (kept(i, node.changes.size(), node.changes[i].resize)) {
        Node::Apply(&bytes[n], node.changes[i]);
      }
    }
    names[n] = node.durableEntries;
    for (size_t i = 0; i < node.entryChanges.size(); ++i) {
      if (kept(i, node.entryChanges.size(), false)) Node::Apply(&names[n], node.entryChanges[i]);
    }
  }
  for (size_t n = 0; n < nodes.size(); ++n) {
    Node& node = *nodes[n];
    node.durable = std::move(bytes[n]);
    node.live = node.durable;
    node.changes.clear();
    node.durableEntries = std::move(names[n]);
    node.entries = node.durableEntries;
    node.entryChanges.clear();
    node.shared = 0;
    node.exclusive = false;
  }
  handles_.clear();
  Heal();
}

void SimulatedDisk::SyncEverything() {
  for (const NodePtr& node : AllNodes(top_)) node->Settle();
}

int64_t SimulatedDisk::PendingChanges() const {
  int64_t count = 0;
  for (const NodePtr& node : AllNodes(top_)) {
    count += static_cast<int64_t>(node->changes.size() + node->entryChanges.size());
  }
  return count;
}

// ---- looking at the disk ----

bool SimulatedDisk::Exists(const std::string& path) const {
  std::string absolute;
  return Simulated(path.c_str(), &absolute) && Find(absolute, nullptr, nullptr) != nullptr;
}

std::optional<std::vector<uint8_t>> SimulatedDisk::Contents(const std::string& path) const {
  std::string absolute;
  if (!Simulated(path.c_str(), &absolute)) return std::nullopt;
  NodePtr node = Find(absolute, nullptr, nullptr);
  if (node == nullptr || node->directory) return std::nullopt;
  return node->live;
}

void SimulatedDisk::SetContents(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string absolute;
  if (!Simulated(path.c_str(), &absolute)) return;
  NodePtr parent;
  std::string name;
  NodePtr node = Find(absolute, &parent, &name);
  if (parent == nullptr && node == nullptr) return;
  if (node == nullptr) {
    node = std::make_shared<Node>();
    node->inode = nextInode_++;
    parent->entries[name] = node;
    parent->durableEntries[name] = node;
  }
  node->live = bytes;
  node->durable = bytes;
  node->changes.clear();
}

std::vector<std::string> SimulatedDisk::Names(const std::string& path) const {
  std::vector<std::string> names;
  std::string absolute;
  if (!Simulated(path.c_str(), &absolute)) return names;
  NodePtr node = Find(absolute, nullptr, nullptr);
  if (node == nullptr || !node->directory) return names;
  for (const auto& entry : node->entries) names.push_back(entry.first);
  return names;
}

std::shared_ptr<const SimulatedDisk::Image> SimulatedDisk::Save() const {
  auto image = std::make_shared<Image>();
  std::map<const Node*, NodePtr> copies;
  image->top = CopyNode(top_, &copies);
  image->nextInode = nextInode_;
  return image;
}

void SimulatedDisk::Restore(const std::shared_ptr<const Image>& image) {
  std::map<const Node*, NodePtr> copies;
  top_ = CopyNode(image->top, &copies);
  nextInode_ = image->nextInode;
  handles_.clear();
  Heal();
}
