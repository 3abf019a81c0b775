#include "db/schema/VMSD.h"

#include <algorithm>

#include "base/VPath.h"

std::string VConfiguredPath(const std::string& base, const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  if (path.empty()) return base.empty() ? "." : base;
  return base.empty() ? path : VJoinPath(base, path);
}

void VMSD::SetFlag(bool* flag, bool on, bool markChanged) {
  if (*flag == on) return;
  *flag = on;
  if (markChanged) changed_ = true;
}

void VMSD::SetText(std::optional<std::string>* field, std::optional<std::string> value,
                   bool markChanged) {
  if (*field == value) return;
  *field = std::move(value);
  if (markChanged) changed_ = true;
}

void VMSD::AddContained(int32_t first, int32_t second, bool markChanged) {
  int32_t low = std::min(first, second);
  int32_t high = std::max(first, second);
  if (high <= 0) return;
  low = std::max(low, 1);
  if (contained_ == nullptr) contained_ = std::make_unique<VRanges>();
  contained_->AddRange(low, high);
  if (markChanged) changed_ = true;
}

void VMSD::SetDatabasePaths(std::optional<std::string> indexPath,
                            std::optional<std::string> dataPath, bool markChanged) {
  if (indexPath_ != indexPath || dataPath_ != dataPath) {
    // Files opened earlier may still name the old directories: keep them alive.
    if (indexDirectory_) retired_.push_back(std::move(indexDirectory_));
    if (dataDirectory_) retired_.push_back(std::move(dataDirectory_));
  }
  SetText(&indexPath_, std::move(indexPath), markChanged);
  SetText(&dataPath_, std::move(dataPath), markChanged);
}

void VMSD::SetWorkPath(std::optional<std::string> path, bool markChanged) {
  SetText(&workPath_, std::move(path), markChanged);
}

void VMSD::SetServer(std::optional<std::string> address, bool markChanged) {
  SetText(&server_, std::move(address), markChanged);
}

void VMSD::SetCacheSize(int32_t kilobytes, bool markChanged) {
  auto size = static_cast<uint16_t>(std::clamp<int32_t>(kilobytes, kMinimumCacheSize, 0xFFFF));
  if (size == cacheSize_) return;
  cacheSize_ = size;
  if (markChanged) changed_ = true;
}

void VMSD::SetPort(int32_t port, bool markChanged) {
  if (port == port_) return;
  port_ = port;
  if (markChanged) changed_ = true;
}

VDir* VMSD::IndexDirectory(const std::string& base) {
  if (indexDirectory_ == nullptr) {
    std::string path = indexPath_ ? VConfiguredPath(base, *indexPath_) : std::string(".");
    indexDirectory_ = std::make_unique<VDir>(path);
  }
  return indexDirectory_.get();
}

VDir* VMSD::DataDirectory(const std::string& base) {
  if (!dataPath_) return IndexDirectory(base);
  if (dataDirectory_ == nullptr) {
    dataDirectory_ = std::make_unique<VDir>(VConfiguredPath(base, *dataPath_));
  }
  return dataDirectory_.get();
}
