#include "base/VPath.h"

#include <sys/stat.h>

#include <cstdlib>
#include <mutex>

#include "base/VSjis.h"
#include "base/VSystemCalls.h"

namespace {

struct VolumeTable {
  std::mutex mutex;
  std::vector<VVolumeRoot> roots{{"/media", true}, {"/run/media", true}, {"/mnt", false}};
  bool collected = false;
  std::vector<std::pair<std::string, std::string>> labels;  // label, mount point
};

VolumeTable& Volumes() {
  static VolumeTable table;
  return table;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return VSys().Stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void AddEntries(const std::string& folder, std::vector<std::pair<std::string, std::string>>* out) {
  std::vector<std::string> names;
  if (VSys().ListNames(folder.c_str(), &names) != 0) return;
  for (const std::string& name : names) {
    std::string path = folder + "/" + name;
    if (IsDirectory(path)) out->emplace_back(name, path);
  }
}

void CollectLabels(VolumeTable& table) {
  table.labels.clear();
  for (const VVolumeRoot& root : table.roots) {
    if (!root.perUser) {
      AddEntries(root.folder, &table.labels);
      continue;
    }
    std::vector<std::pair<std::string, std::string>> users;
    AddEntries(root.folder, &users);
    for (const auto& user : users) AddEntries(user.second, &table.labels);
  }
  table.collected = true;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (VToUpper(static_cast<uint8_t>(a[i])) != VToUpper(static_cast<uint8_t>(b[i]))) return false;
  }
  return true;
}

bool FindVolume(std::string_view label, std::string* mountPoint) {
  VolumeTable& table = Volumes();
  std::lock_guard<std::mutex> hold(table.mutex);
  auto search = [&] {
    for (const auto& entry : table.labels) {
      if (EqualIgnoringCase(entry.first, label)) {
        *mountPoint = entry.second;
        return true;
      }
    }
    return false;
  };
  if (search()) return true;
  // Labels are collected on the first lookup that misses.
  if (table.collected) return false;
  CollectLabels(table);
  return search();
}

}  // namespace

void VSetVolumeRoots(std::vector<VVolumeRoot> roots) {
  VolumeTable& table = Volumes();
  std::lock_guard<std::mutex> hold(table.mutex);
  table.roots = std::move(roots);
  table.labels.clear();
  table.collected = false;
}

VResult VPlatformPath(std::string_view portable, std::string* platform) {
  bool absolute = !portable.empty() && portable.front() == '/';
  while (!portable.empty() && (portable.back() == '/' || portable.back() == ' ')) {
    portable.remove_suffix(1);
  }
  if (!portable.empty() && portable.front() == '/') portable.remove_prefix(1);
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= portable.size() && !portable.empty()) {
    size_t slash = portable.find('/', start);
    if (slash == std::string_view::npos) slash = portable.size();
    std::string_view part = portable.substr(start, slash - start);
    if (part.empty() || part.size() > 127) return kVInvalidPath;
    parts.push_back(part);
    start = slash + 1;
    if (slash == portable.size()) break;
  }
  std::string out;
  size_t first = 0;
  if (absolute) {
    if (parts.empty()) {
      *platform = "/";
      return kVOk;
    }
    std::string_view head = parts[0];
    first = 1;
    if (head.size() == 2 && head[1] == ':' && VIsAlphaUnder(static_cast<uint8_t>(head[0]))) {
      std::string variable = "VARNEX_DRIVE_";
      variable += static_cast<char>(VToUpper(static_cast<uint8_t>(head[0])));
      const char* drive = std::getenv(variable.c_str());
      if (drive == nullptr || *drive == '\0') return kVInvalidPath;
      out = drive;
      while (out.size() > 1 && out.back() == '/') out.pop_back();
    } else if (head.back() == ':') {
      return kVInvalidPath;
    } else {
      std::string top = "/" + std::string(head);
      std::string mountPoint;
      if (!IsDirectory(top) && FindVolume(head, &mountPoint)) {
        out = mountPoint;
      } else {
        out = top;
      }
    }
  } else if (!parts.empty() && parts[0] == ".") {
    out = ".";
    first = 1;
  }
  for (size_t i = first; i < parts.size(); ++i) {
    if (parts[i] == ".") continue;
    if (!out.empty() && out.back() != '/') out += '/';
    out += parts[i];
  }
  *platform = out.empty() ? (absolute ? "/" : ".") : out;
  return kVOk;
}

std::string VPortablePath(std::string_view platform) {
  return platform.empty() ? std::string("/") : std::string(platform);
}

void VSplitPath(std::string_view path, std::string* directory, std::string* name) {
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(path.data());
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < path.size(); i += VCharLength(bytes, path.size(), i)) {
    if (path[i] == '/') last = i;
  }
  if (last == std::string_view::npos) {
    if (directory) directory->clear();
    if (name) *name = std::string(path);
    return;
  }
  if (directory) *directory = last == 0 ? std::string("/") : std::string(path.substr(0, last));
  if (name) *name = std::string(path.substr(last + 1));
}

std::string VJoinPath(std::string_view directory, std::string_view name) {
  std::string out(directory);
  if (!out.empty() && out.back() != '/') out += '/';
  out += name;
  return out;
}

std::string VTempDirectoryPath() {
  const char* tmp = std::getenv("TMPDIR");
  std::string path = (tmp && *tmp) ? tmp : "/tmp";
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}
