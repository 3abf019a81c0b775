#include "db/schema/VSchema.h"

#include <cstdio>
#include <cstring>

#include "base/VFile.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "db/schema/VVM.h"

namespace {

// " NAME = \"text\"". The reader has no escapes, so a text holding a double quote is written
// between apostrophes, which it then cannot hold, to read back unchanged.
void AppendText(std::string* line, const char* property, const std::string& text) {
  if (text.empty()) return;
  char quote =
      text.find('"') != std::string::npos && text.find('\'') == std::string::npos ? '\'' : '"';
  *line += ' ';
  *line += property;
  *line += " = ";
  *line += quote;
  *line += text;
  *line += quote;
}

// Copies a text into a zero-terminated field, cut on a character boundary.
template <size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  size_t n = text.size();
  if (n > N - 1) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.data());
    n = N - 1;
    if (!VIsCharBoundary(bytes, text.size(), n)) --n;
  }
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

}  // namespace

// --- VSchema ---

std::string VSchema::HeaderText() const {
  std::string line = "[";
  line += KindName();
  line += ':';
  line += std::to_string(number_);
  line += ']';
  AppendText(&line, "NAME", name_);
  AppendText(&line, "DESC", desc_);
  AppendText(&line, "LABEL", label_);
  if (created_) line += " created";
  if (erased_) line += " erased";
  return line;
}

VResult VSchema::WriteLine(VStream& output, bool indented) const {
  std::string line = indented ? "\t" : "";
  line += HeaderText();
  line += "\r\n";
  int32_t n = static_cast<int32_t>(line.size());
  return output.Write(line.data(), n) == n ? kVOk : kVWriteFailed;
}

VResult VSchema::WriteToBuffer(void* buffer, int32_t capacity, int32_t* length) const {
  VSMemStream output(buffer, 0, capacity);
  VResult r = WriteTo(output);
  *length = static_cast<int32_t>(output.Position());
  return r;
}

std::string VSchema::Text() const {
  VDMemStream output;
  // A memory stream fails only when memory does, which raises.
  (void)WriteTo(output);
  return std::string(reinterpret_cast<const char*>(output.Data()),
                     static_cast<size_t>(output.Size()));
}

// --- items ---

std::string VSch_DBItem::HeaderText() const {
  std::string line = VSchema::HeaderText();
  const char* typeName = nullptr;
  std::string name = VVM::Instance().TypeName(type_, &typeName) ? typeName : std::to_string(type_);
  line += " TYPE = " + name + " LENGTH = " + std::to_string(length_);
  return line;
}

VResult VSch_DBItem::WriteTo(VStream& output) const { return WriteLine(output, true); }

// --- keys ---

std::string VSch_DBKey::TypeText() const {
  const char* typeName = nullptr;
  std::string name = VVM::Instance().TypeName(type_, &typeName) ? typeName : std::to_string(type_);
  if (flags_ == 0) return name;
  static const struct {
    uint16_t flag;
    const char* word;
  } kWords[] = {{kVKeyUnique, "Unique"},
                {kVKeyReverse, "Reverse"},
                {kVKeyNullOmit, "NullOmit"},
                {kVKeyIgnoreCase, "IgnoreCase"},
                {kVKeyIgnoreJCase, "IgnoreJCase"}};
  std::string text = "\"" + name;
  for (const auto& w : kWords) {
    if (flags_ & w.flag) {
      text += ',';
      text += w.word;
    }
  }
  return text + "\"";
}

std::string VSch_DBKey::HeaderText() const {
  std::string line = VSchema::HeaderText();
  line += " TYPE = " + TypeText() + " BIND = ";
  if (parts_.empty()) return line + "NONE";
  for (size_t i = 0; i < parts_.size(); ++i) {
    if (i > 0) line += " + ";
    line += "[" + std::to_string(parts_[i]->Number()) + "]";
  }
  return line;
}

VResult VSch_DBKey::WriteTo(VStream& output) const { return WriteLine(output, true); }

bool VSch_DBKey::AddPart(VSch_DBItem* item) {
  if (parts_.size() >= static_cast<size_t>(kVMaxKeyParts)) return false;
  parts_.push_back(item);
  return true;
}

// --- files ---

std::string VSch_DBFile::HeaderText() const {
  return VSchema::HeaderText() + " BLOCKSIZE = (" + std::to_string(indexBlockSize_) + ", " +
         std::to_string(dataBlockSize_) + ")";
}

VResult VSch_DBFile::WriteTo(VStream& output) const {
  VResult r = WriteLine(output, false);
  for (size_t i = 0; r == kVOk && i < items_.size(); ++i) r = items_[i]->WriteTo(output);
  for (size_t i = 0; r == kVOk && i < keys_.size(); ++i) r = keys_[i]->WriteTo(output);
  return r;
}

std::string VSch_DBFile::StorageName() const {
  if (!label_.empty()) return label_;
  char name[16];
  std::snprintf(name, sizeof name, number_ < 1000 ? "@f%03d" : "@f%05d", number_);
  return name;
}

VSch_DBItem* VSch_DBFile::ItemByNumber(int number) const {
  for (const auto& item : items_) {
    if (item->Number() == number) return item.get();
  }
  return nullptr;
}

VSch_DBItem* VSch_DBFile::AddItem(int16_t number) {
  items_.push_back(std::make_unique<VSch_DBItem>(number));
  return items_.back().get();
}

VSch_DBKey* VSch_DBFile::KeyByNumber(int number) const {
  for (const auto& key : keys_) {
    if (key->Number() == number) return key.get();
  }
  return nullptr;
}

VSch_DBKey* VSch_DBFile::AddKey(int16_t number) {
  keys_.push_back(std::make_unique<VSch_DBKey>(number));
  return keys_.back().get();
}

int VSch_DBFile::ItemNumberByName(std::string_view name) const {
  for (const auto& item : items_) {
    if (item->NameEquals(name)) return item->Number();
  }
  return -1;
}

int VSch_DBFile::KeyNumberByName(std::string_view name) const {
  for (const auto& key : keys_) {
    if (key->NameEquals(name)) return key->Number();
  }
  return -1;
}

void VSch_DBFile::FileDescription(VFileDescription* out) const {
  *out = VFileDescription();
  out->number = number_;
  CopyField(out->name, name_);
  CopyField(out->desc, desc_);
  CopyField(out->label, label_);
  out->indexBlockSize = indexBlockSize_;
  out->dataBlockSize = dataBlockSize_;
}

bool VSch_DBFile::ItemDescription(int i, VItemDescription* out) const {
  if (i < 0 || i >= ItemCount()) return false;
  const VSch_DBItem& item = *items_[static_cast<size_t>(i)];
  *out = VItemDescription();
  out->number = item.Number();
  out->type = item.Type();
  out->length = item.Length();
  CopyField(out->name, item.Name());
  CopyField(out->desc, item.Desc());
  return true;
}

bool VSch_DBFile::KeyDescription(int i, VKeyDescription* out) const {
  if (i < 0 || i >= KeyCount()) return false;
  const VSch_DBKey& key = *keys_[static_cast<size_t>(i)];
  *out = VKeyDescription();
  out->number = key.Number();
  out->type = key.Type();
  out->flags = static_cast<uint8_t>(key.Flags());
  out->partCount = static_cast<int16_t>(key.PartCount());
  for (int p = 0; p < key.PartCount(); ++p) out->parts[p].item = key.PartAt(p)->Number();
  CopyField(out->name, key.Name());
  CopyField(out->desc, key.Desc());
  return true;
}

bool VSch_DBFile::KeyDescriptionByNumber(int number, VKeyDescription* out) const {
  for (int i = 0; i < KeyCount(); ++i) {
    if (keys_[static_cast<size_t>(i)]->Number() == number) return KeyDescription(i, out);
  }
  return false;
}

bool VSch_DBFile::MarkKeyCreated(int number) {
  VSch_DBKey* key = KeyByNumber(number);
  if (key) key->MarkCreated();
  return key != nullptr;
}

bool VSch_DBFile::MarkKeyErased(int number) {
  VSch_DBKey* key = KeyByNumber(number);
  if (key) key->MarkErased();
  return key != nullptr;
}

// --- databases ---

VResult VSch_DB::WriteTo(VStream& output) const {
  VResult r = WriteLine(output, false);
  for (size_t i = 0; r == kVOk && i < files_.size(); ++i) r = files_[i]->WriteTo(output);
  return r;
}

VSch_DBFile* VSch_DB::FileByNumber(int number) const {
  for (const auto& file : files_) {
    if (file->Number() == number) return file.get();
  }
  return nullptr;
}

VSch_DBFile* VSch_DB::AddFile(std::unique_ptr<VSch_DBFile> file) {
  files_.push_back(std::move(file));
  return files_.back().get();
}
