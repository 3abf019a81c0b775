// The schema tree: a database (VSch_DB) of files (VSch_DBFile), each with items (VSch_DBItem) and
// keys (VSch_DBKey) over them, read from and written as schema text.
//
// A node writes one line ending with CR LF ("\t" before item and key lines):
//   [KIND:number] NAME = "..." DESC = "..." LABEL = "..." created erased <kind's own part>
// with BLOCKSIZE = (index, data) for a file, TYPE = name LENGTH = n for an item, and
// TYPE = type-text BIND = [i] + [j] (or NONE) for a key. A database writes its files after its
// line, a file its items and then its keys.
//
// Invariants: a file owns its items and keys, a key refers only to items of its own file and has
// at most five parts; texts are Shift-JIS bytes, an empty text meaning "not set".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/VBase.h"
#include "base/VObj.h"

class VFile;
class VStream;

// Result codes of the schema reader.
constexpr VResult kVSchemaBadStatement = -1104;
constexpr VResult kVSchemaBadDatabaseProperty = -1105;
constexpr VResult kVSchemaBadFileProperty = -1106;
constexpr VResult kVSchemaBadItemProperty = -1107;
constexpr VResult kVSchemaBadKeyProperty = -1108;
// An ITEM or KEY statement before any FILE statement.
constexpr VResult kVSchemaNoFile = -1109;
constexpr VResult kVSchemaBadPropertyName = -1110;
// A property without "=", or whose value is missing, unterminated or out of range.
constexpr VResult kVSchemaBadValue = -1111;
// A BIND of more than five parts.
constexpr VResult kVSchemaTooManyParts = -1112;
// A NAME or LABEL longer than 127 bytes or a DESC longer than 255 bytes.
constexpr VResult kVSchemaTextTooLong = -1113;

// Key flags.
constexpr uint16_t kVKeyUnique = 0x80;
constexpr uint16_t kVKeyNullOmit = 0x40;
constexpr uint16_t kVKeyReverse = 0x20;
constexpr uint16_t kVKeyIgnoreCase = 0x10;
constexpr uint16_t kVKeyIgnoreJCase = 0x08;

constexpr size_t kVMaxSchemaName = 127;
constexpr size_t kVMaxSchemaDesc = 255;
constexpr int kVMaxKeyParts = 5;

// Description records handed to the storage, index and command layers. Texts are zero-terminated
// and cut to their fields on a character boundary.
struct VFileDescription {
  int32_t number = 0;
  char name[kVMaxSchemaName + 1] = {};
  char desc[kVMaxSchemaDesc + 1] = {};
  char label[kVMaxSchemaName + 1] = {};
  uint16_t indexBlockSize = 0;
  uint16_t dataBlockSize = 0;
};

struct VItemDescription {
  int16_t number = 0;
  int16_t type = 0;
  int32_t length = 0;
  char name[kVMaxSchemaName + 1] = {};
  char desc[kVMaxSchemaDesc + 1] = {};
};

struct VKeyPartDescription {
  int16_t item = 0;
  int16_t firstOccurrence = 0;
  int16_t lastOccurrence = 0;
  int16_t reserved = 0;
};

struct VKeyDescription {
  int16_t number = 0;
  uint8_t type = 0;
  uint8_t flags = 0;
  int16_t partCount = 0;
  VKeyPartDescription parts[kVMaxKeyParts] = {};
  char name[kVMaxSchemaName + 1] = {};
  char desc[kVMaxSchemaDesc + 1] = {};
};

class VSchema : public VObj {
 public:
  static constexpr int kDatabase = 1;
  static constexpr int kFile = 2;
  static constexpr int kItem = 3;
  static constexpr int kKey = 4;

  virtual int Kind() const = 0;
  virtual const char* KindName() const = 0;
  // The node's line without its children, its leading tab and its line end.
  virtual std::string HeaderText() const;
  // Writes the node's line and, for a database or a file, its children's lines.
  virtual VResult WriteTo(VStream& output) const = 0;

  // Writes into a caller's block of capacity bytes; kVWriteFailed (-29) when it does not fit.
  VResult WriteToBuffer(void* buffer, int32_t capacity, int32_t* length) const;
  std::string Text() const;

  int16_t Number() const { return number_; }
  void SetNumber(int16_t number) { number_ = number; }
  const std::string& Name() const { return name_; }
  const std::string& Desc() const { return desc_; }
  const std::string& Label() const { return label_; }
  // Copies; a null or empty text clears.
  void SetName(const char* text) { name_ = text ? text : ""; }
  void SetDesc(const char* text) { desc_ = text ? text : ""; }
  void SetLabel(const char* text) { label_ = text ? text : ""; }
  void SetName(std::string_view text) { name_ = text; }
  void SetDesc(std::string_view text) { desc_ = text; }
  void SetLabel(std::string_view text) { label_ = text; }
  bool NameEquals(std::string_view text) const { return name_ == text; }
  bool IsCreated() const { return created_; }
  bool IsErased() const { return erased_; }
  void MarkCreated(bool created = true) { created_ = created; }
  void MarkErased(bool erased = true) { erased_ = erased; }

 protected:
  // Writes a line: a tab when indented, the header text, CR LF.
  VResult WriteLine(VStream& output, bool indented) const;

  int16_t number_ = 0;
  std::string name_;
  std::string desc_;
  std::string label_;
  bool created_ = false;
  bool erased_ = false;
};

class VSch_DBItem : public VSchema {
 public:
  explicit VSch_DBItem(int16_t number = 0) { number_ = number; }
  int Kind() const override { return kItem; }
  const char* KindName() const override { return "ITEM"; }
  std::string HeaderText() const override;
  VResult WriteTo(VStream& output) const override;

  uint8_t Type() const { return type_; }
  void SetType(uint8_t type) { type_ = type; }
  int32_t Length() const { return length_; }
  void SetLength(int32_t length) { length_ = length; }

 private:
  uint8_t type_ = 6;
  int32_t length_ = 16;
};

class VSch_DBKey : public VSchema {
 public:
  explicit VSch_DBKey(int16_t number = 0) { number_ = number; }
  int Kind() const override { return kKey; }
  const char* KindName() const override { return "KEY"; }
  std::string HeaderText() const override;
  VResult WriteTo(VStream& output) const override;

  uint8_t Type() const { return type_; }
  void SetType(uint8_t type) { type_ = type; }
  uint16_t Flags() const { return flags_; }
  void SetFlags(uint16_t flags) { flags_ = flags; }
  // The type name alone without flags, else "\"Type,Flag,...\"".
  std::string TypeText() const;

  int PartCount() const { return static_cast<int>(parts_.size()); }
  VSch_DBItem* PartAt(int i) const { return parts_[static_cast<size_t>(i)]; }
  // False when the key already has five parts.
  bool AddPart(VSch_DBItem* item);

 private:
  uint8_t type_ = 6;
  uint16_t flags_ = 0;
  std::vector<VSch_DBItem*> parts_;
};

class VSch_DBFile : public VSchema {
 public:
  explicit VSch_DBFile(int16_t number = 0) { number_ = number; }
  int Kind() const override { return kFile; }
  const char* KindName() const override { return "FILE"; }
  std::string HeaderText() const override;
  VResult WriteTo(VStream& output) const override;

  uint16_t IndexBlockSize() const { return indexBlockSize_; }
  uint16_t DataBlockSize() const { return dataBlockSize_; }
  void SetBlockSizes(uint16_t index, uint16_t data) {
    indexBlockSize_ = index;
    dataBlockSize_ = data;
  }

  // The LABEL when set, else "@f%03d" (numbers below 1000) or "@f%05d".
  std::string StorageName() const;

  int ItemCount() const { return static_cast<int>(items_.size()); }
  VSch_DBItem* ItemAt(int i) const { return items_[static_cast<size_t>(i)].get(); }
  VSch_DBItem* ItemByNumber(int number) const;
  // Appends an item with the defaults (String, length 16).
  VSch_DBItem* AddItem(int16_t number);
  int KeyCount() const { return static_cast<int>(keys_.size()); }
  VSch_DBKey* KeyAt(int i) const { return keys_[static_cast<size_t>(i)].get(); }
  VSch_DBKey* KeyByNumber(int number) const;
  VSch_DBKey* AddKey(int16_t number);
  // Exact names; -1 when there is none.
  int ItemNumberByName(std::string_view name) const;
  int KeyNumberByName(std::string_view name) const;

  void FileDescription(VFileDescription* out) const;
  bool ItemDescription(int i, VItemDescription* out) const;
  bool KeyDescription(int i, VKeyDescription* out) const;
  bool KeyDescriptionByNumber(int number, VKeyDescription* out) const;
  bool MarkKeyCreated(int number);
  bool MarkKeyErased(int number);

 private:
  uint16_t indexBlockSize_ = 2048;
  uint16_t dataBlockSize_ = 4096;
  std::vector<std::unique_ptr<VSch_DBItem>> items_;
  std::vector<std::unique_ptr<VSch_DBKey>> keys_;
};

class VSch_DB : public VSchema {
 public:
  int Kind() const override { return kDatabase; }
  const char* KindName() const override { return "DATABASE"; }
  VResult WriteTo(VStream& output) const override;

  int FileCount() const { return static_cast<int>(files_.size()); }
  VSch_DBFile* FileAt(int i) const { return files_[static_cast<size_t>(i)].get(); }
  VSch_DBFile* FileByNumber(int number) const;
  VSch_DBFile* AddFile(std::unique_ptr<VSch_DBFile> file);

 private:
  std::vector<std::unique_ptr<VSch_DBFile>> files_;
};

// Reads a whole schema text: a database, a single file, or nothing (with the code in *result).
std::unique_ptr<VSchema> ReadSchema(VStream& input, VResult* result = nullptr);
std::unique_ptr<VSchema> ReadSchema(const void* block, int64_t length, VResult* result = nullptr);
// From C strings joined by carriage returns (count 0: up to the first null pointer).
std::unique_ptr<VSchema> ReadSchema(const char* const* strings, int32_t count,
                                    VResult* result = nullptr);
// Opens the file for reading and closes it afterwards.
std::unique_ptr<VSchema> ReadSchema(VFile& file, VResult* result = nullptr);
