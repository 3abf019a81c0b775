// The engine's configuration, read from "Varnex.conf": sections (storage areas) that say where the
// index and data files of each database file live and whether they are read-only, and the engine's
// settings in the main section (work directory, block cache size, server, system-file switches).
//
// The file is read once at construction, line by line; lines are tokenized as bracketed texts and
// anything not understood (unknown keys, malformed lines, any bytes at all) is skipped. A missing
// file (or one that holds no line at all, or that cannot be read to its end) gets a default
// section appended and is written at destruction. The file is rewritten at destruction only when
// that happened or a setting was changed after reading, and it is replaced whole: the new text is
// written beside it and renamed over it, so a failure never leaves a half-written file.
//
// The work directory is made on first use and lives with the configuration; the block cache and
// the work files in it belong to the engine object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/VFile.h"
#include "db/schema/VMSD.h"

// Reading status of a configuration file that does not exist.
constexpr VResult kVConfigMissing = -34;

class VConfig {
 public:
  static constexpr const char* kDefaultName = "Varnex.conf";

  // path: the configuration file; its directory (the current one when the path has none) anchors
  // relative paths, and a path without a name means "Varnex.conf" in it.
  explicit VConfig(const std::string& path);
  ~VConfig();
  VConfig(const VConfig&) = delete;
  VConfig& operator=(const VConfig&) = delete;

  int32_t SectionCount() const { return static_cast<int32_t>(sections_.size()); }
  VMSD* Section(int32_t index) const { return sections_[index].get(); }
  VMSD* MainSection() const { return sections_[0].get(); }
  // The first section that contains the database file number; the main section when none does.
  VMSD* SectionOf(int32_t fileNumber) const;
  VDir* IndexDirectory(int32_t fileNumber);
  VDir* DataDirectory(int32_t fileNumber);
  bool IsReadOnly(int32_t fileNumber) const { return SectionOf(fileNumber)->IsReadOnly(); }

  // The main section's work path, or a new "@VARNEX_T_nnnnn" directory in the temporary directory
  // (removed again at destruction when it is left empty); null when neither can be had.
  VDir* WorkDirectory();

  // Switches of the main section.
  bool DataDictionary() const { return MainSection()->DataDictionary(); }
  bool Security() const { return MainSection()->Security(); }
  bool ValueFile() const { return MainSection()->ValueFile(); }
  bool TransactionLog() const { return MainSection()->TransactionLog(); }
  bool CommandLog() const { return MainSection()->CommandLog(); }

  // 0, kVConfigMissing, or the error that stopped reading.
  VResult ReadResult() const { return readResult_; }
  // Whether destruction would write the file.
  bool NeedsRewrite() const;
  // Writes the file now and clears the marks.
  VResult Write();
  // The file's text as Write writes it (Shift-JIS bytes, lines ending with CR LF).
  std::string Text() const;
  const std::string& DirectoryPath() const { return directoryPath_; }
  VFile* File() const { return file_.get(); }

 private:
  void Read();
  void ReadLine(const uint8_t* line, int32_t length);
  VMSD* NewSection();
  void AppendDefaultSection();

  std::string directoryPath_;
  std::unique_ptr<VDir> directory_;
  std::unique_ptr<VFile> file_;
  bool rewrite_ = false;
  VResult readResult_ = kVOk;
  std::vector<std::unique_ptr<VMSD>> sections_;
  std::unique_ptr<VDir> workDirectory_;
  bool workDirectoryMade_ = false;
};
