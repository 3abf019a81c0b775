// One section of the configuration file: a storage area with the database files it contains,
// where their index and data files live and whether they are read-only. The main section (number
// 0) also carries the engine-wide settings: work path, cache size, server, port and the switches
// of the system files.
//
// Each setter takes a mark-changed argument: the reader passes false, so only changes made later
// make the configuration rewrite its file. A setter that receives the value already held changes
// nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/VFile.h"
#include "base/VObj.h"
#include "db/schema/VRanges.h"

class VMSD : public VObj {
 public:
  static constexpr uint16_t kDefaultCacheSize = 200;
  // A cache size read or set below this is raised to it.
  static constexpr uint16_t kMinimumCacheSize = 100;
  static constexpr int32_t kDefaultPort = 3330;

  explicit VMSD(int32_t number) : number_(number) {}

  int32_t Number() const { return number_; }
  bool IsChanged() const { return changed_; }
  void SetChanged(bool changed) { changed_ = changed; }

  // Database file numbers of this section; null when it names none.
  const VRanges* Contained() const { return contained_.get(); }
  bool Contains(int32_t fileNumber) const {
    return contained_ != nullptr && contained_->Contains(fileNumber);
  }
  // Adds a number, or a range with its ends in either order. Numbers of 0 or less are not file
  // numbers: they are skipped, and a range keeps only its part from 1 up.
  void AddContained(int32_t first, int32_t second, bool markChanged);

  const std::optional<std::string>& IndexPath() const { return indexPath_; }
  const std::optional<std::string>& DataPath() const { return dataPath_; }
  const std::optional<std::string>& WorkPath() const { return workPath_; }
  const std::optional<std::string>& Server() const { return server_; }
  // A database directory: the index and data files in one directory when there is no data path.
  void SetDatabasePaths(std::optional<std::string> indexPath, std::optional<std::string> dataPath,
                        bool markChanged);
  void SetWorkPath(std::optional<std::string> path, bool markChanged);
  void SetServer(std::optional<std::string> address, bool markChanged);

  uint16_t CacheSize() const { return cacheSize_; }
  // Kilobytes, raised to 100 and held to the 16-bit range.
  void SetCacheSize(int32_t kilobytes, bool markChanged);
  int32_t Port() const { return port_; }
  void SetPort(int32_t port, bool markChanged);

  bool IsReadOnly() const { return readOnly_; }
  bool DataDictionary() const { return dataDictionary_; }
  bool Security() const { return security_; }
  bool ValueFile() const { return valueFile_; }
  bool TransactionLog() const { return transactionLog_; }
  bool CommandLog() const { return commandLog_; }
  void SetReadOnly(bool on, bool markChanged) { SetFlag(&readOnly_, on, markChanged); }
  void SetDataDictionary(bool on, bool markChanged) { SetFlag(&dataDictionary_, on, markChanged); }
  void SetSecurity(bool on, bool markChanged) { SetFlag(&security_, on, markChanged); }
  void SetValueFile(bool on, bool markChanged) { SetFlag(&valueFile_, on, markChanged); }
  void SetTransactionLog(bool on, bool markChanged) { SetFlag(&transactionLog_, on, markChanged); }
  void SetCommandLog(bool on, bool markChanged) { SetFlag(&commandLog_, on, markChanged); }

  // The directories of the section's paths, made on first use and kept: a path starting with "/"
  // is absolute, any other is relative to base (the configuration file's directory); no index
  // path is the current directory and no data path the index directory.
  VDir* IndexDirectory(const std::string& base);
  VDir* DataDirectory(const std::string& base);

 private:
  void SetFlag(bool* flag, bool on, bool markChanged);
  void SetText(std::optional<std::string>* field, std::optional<std::string> value,
               bool markChanged);

  int32_t number_;
  bool changed_ = false;
  std::unique_ptr<VRanges> contained_;
  std::optional<std::string> indexPath_;
  std::optional<std::string> dataPath_;
  std::optional<std::string> workPath_;
  std::optional<std::string> server_;
  uint16_t cacheSize_ = kDefaultCacheSize;
  int32_t port_ = kDefaultPort;
  bool readOnly_ = false;
  bool dataDictionary_ = true;
  bool security_ = false;
  bool valueFile_ = true;
  bool transactionLog_ = false;
  bool commandLog_ = false;
  std::unique_ptr<VDir> indexDirectory_;
  std::unique_ptr<VDir> dataDirectory_;
  std::vector<std::unique_ptr<VDir>> retired_;
};

// A configured path as a portable path: absolute when it starts with "/", else under base.
std::string VConfiguredPath(const std::string& base, const std::string& path);
