#include "db/schema/VConfig.h"

#include <cstdio>
#include <optional>

#include "base/VDebug.h"
#include "base/VPath.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "base/VString.h"
#include "db/schema/VTT.h"

namespace {

constexpr int32_t kLineLimit = 1024;
constexpr int32_t kLastTemporaryNumber = 64;

bool SameWord(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (VToUpper(static_cast<uint8_t>(text[i])) != VToUpper(static_cast<uint8_t>(word[i]))) {
      return false;
    }
  }
  return true;
}

bool IsValue(VTTKind kind) { return kind == kVTTWord || kind == kVTTString; }

int32_t ToInteger(std::string_view text) { return VString(text).ToInteger(); }

// The file numbers and ranges after "=": a "-" between two numbers joins them into a range, and a
// "-" before a number with none pending is its sign.
void ReadContained(const VTT& tokens, int32_t from, VMSD* section) {
  int32_t pending = 0;
  bool hasPending = false;
  bool joined = false;
  bool negative = false;
  auto flush = [&]() {
    if (hasPending) section->AddContained(pending, pending, false);
    hasPending = false;
  };
  for (int32_t i = from; i < tokens.Count(); ++i) {
    VTTKind kind = tokens.KindAt(i);
    if (IsValue(kind)) {
      int32_t number = ToInteger(tokens.TextAt(i));
      if (negative) number = -number;
      if (hasPending && joined) {
        section->AddContained(pending, number, false);
        hasPending = false;
      } else {
        flush();
        pending = number;
        hasPending = true;
      }
      joined = false;
      negative = false;
    } else if (kind == kVTTOperator && tokens.TextAt(i) == "-") {
      if (hasPending && !joined) {
        joined = true;
      } else {
        negative = !negative;
      }
    } else {
      flush();
      joined = false;
      negative = false;
    }
  }
  flush();
}

void AppendLine(std::string* out, const char* key, const std::string& value) {
  char field[16];
  std::snprintf(field, sizeof field, "%-10s", key);
  *out += field;
  *out += " = ";
  *out += value;
  *out += "\r\n";
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
std::string OnOff(bool on) { return on ? "on" : "off"; }

}  // namespace

VConfig::VConfig(const std::string& path) {
  std::string folder;
  std::string name;
  VSplitPath(path, &folder, &name);
  directoryPath_ = folder.empty() ? "." : folder;
  if (name.empty()) name = kDefaultName;
  directory_ = std::make_unique<VDir>(directoryPath_);
  file_ = std::make_unique<VFile>(name, directory_.get());
  Read();
}

VConfig::~VConfig() {
  if (NeedsRewrite()) {
    VResult result = Write();
    if (result != kVOk)
      LogFormat("...ERROR... VConfig: writing %s ec:%d", file_->FullPath(), result);
  }
  // A work directory made for the work files holds nothing that outlives the engine, which has
  // removed them by now.
  if (workDirectoryMade_ && workDirectory_->List(3) == 0) (void)workDirectory_->Remove();
  workDirectory_.reset();
  sections_.clear();
  file_.reset();
  directory_.reset();
}

VMSD* VConfig::NewSection() {
  sections_.push_back(std::make_unique<VMSD>(SectionCount()));
  return sections_.back().get();
}

void VConfig::AppendDefaultSection() {
  VMSD* section = NewSection();
  section->SetDatabasePaths("INDEX", "DATA", false);
  section->SetWorkPath("WORK", false);
  section->SetCacheSize(300, false);
  section->SetServer("127.0.0.1", false);
  section->SetPort(VMSD::kDefaultPort, false);
  section->SetDataDictionary(true, false);
  section->SetSecurity(false, false);
  section->SetValueFile(true, false);
  section->SetTransactionLog(false, false);
  section->SetCommandLog(true, false);
  section->SetReadOnly(false, false);
}

void VConfig::Read() {
  readResult_ = kVOk;
  if (!file_->Exists()) {
    readResult_ = kVConfigMissing;
  } else if (VFileStream* stream = file_->ReadStream()) {
    uint8_t line[kLineLimit + 1];
    int32_t length = 0;
    // A line longer than the limit is read as its first kLineLimit bytes; reading goes on.
    while (stream->ReadLine(line, kLineLimit + 1, &length) != kVEnd) ReadLine(line, length);
    readResult_ = stream->Error();
    (void)file_->Close();  // only read from
  } else {
    readResult_ = kVOpenFailed;
  }
  if (readResult_ != kVOk || sections_.empty()) {
    AppendDefaultSection();
    rewrite_ = true;
  }
}

void VConfig::ReadLine(const uint8_t* line, int32_t length) {
  VTT tokens(line, static_cast<uint32_t>(length));
  const int32_t count = tokens.Count();
  for (int32_t i = 0; i < count; ++i) {
    if (!IsValue(tokens.KindAt(i))) continue;
    if (SameWord(tokens.TextAt(i), "DDSA")) {
      NewSection();
      return;
    }
    break;
  }
  // A line with nothing on it does not open the first section by itself.
  if (sections_.empty()) {
    if (count == 0) return;
    NewSection();
  }
  if (count < 3) return;
  VMSD* section = sections_.back().get();
  const bool main = section->Number() == 0;

  int32_t equals = -1;
  for (int32_t i = 0; i < count && equals < 0; ++i) {
    if (tokens.KindAt(i) == kVTTOperator && tokens.TextAt(i) == "=") equals = i;
  }
  if (equals < 0) return;
  int32_t keyAt = -1;
  for (int32_t i = 0; i < equals; ++i) {
    if (IsValue(tokens.KindAt(i))) keyAt = i;
  }
  if (keyAt < 0) return;
  std::string_view key = tokens.TextAt(keyAt);

  if (SameWord(key, "CONTAIN")) {
    ReadContained(tokens, equals + 1, section);
    return;
  }
  std::vector<std::string> values;
  for (int32_t i = equals + 1; i < count; ++i) {
    if (IsValue(tokens.KindAt(i))) values.emplace_back(tokens.TextAt(i));
  }
  if (values.empty()) return;
  const std::string& first = values[0];
  const bool on = SameWord(first, "ON");

  if (SameWord(key, "DBPATH")) {
    std::optional<std::string> data;
    if (values.size() >= 2) data = values[1];
    section->SetDatabasePaths(first, data, false);
  } else if (SameWord(key, "READONLY")) {
    section->SetReadOnly(on, false);
  } else if (!main) {
    return;  // the remaining keys belong to the main section alone
  } else if (SameWord(key, "WORKPATH")) {
    section->SetWorkPath(first, false);
  } else if (SameWord(key, "CASHSIZE")) {
    section->SetCacheSize(ToInteger(first), false);
  } else if (SameWord(key, "SERVER")) {
    section->SetServer(first, false);
  } else if (SameWord(key, "PORT")) {
    section->SetPort(ToInteger(first), false);
  } else if (SameWord(key, "DDD")) {
    section->SetDataDictionary(on, false);
  } else if (SameWord(key, "SECURITY")) {
    section->SetSecurity(on, false);
  } else if (SameWord(key, "VALUE")) {
    section->SetValueFile(on, false);
  } else if (SameWord(key, "TLOG")) {
    section->SetTransactionLog(on, false);
  } else if (SameWord(key, "CLOG")) {
    section->SetCommandLog(on, false);
  }
}

VMSD* VConfig::SectionOf(int32_t fileNumber) const {
  for (const auto& section : sections_) {
    if (section->Contains(fileNumber)) return section.get();
  }
  return MainSection();
}

VDir* VConfig::IndexDirectory(int32_t fileNumber) {
  return SectionOf(fileNumber)->IndexDirectory(directoryPath_);
}

VDir* VConfig::DataDirectory(int32_t fileNumber) {
  return SectionOf(fileNumber)->DataDirectory(directoryPath_);
}

bool VConfig::NeedsRewrite() const {
  if (rewrite_) return true;
  for (const auto& section : sections_) {
    if (section->IsChanged()) return true;
  }
  return false;
}

std::string VConfig::Text() const {
  std::string out;
  for (const auto& section : sections_) {
    const bool main = section.get() == sections_.front().get();
    if (!main) out += "\r\n";
    out += "[DDSA]\r\n";
    if (!main && section->Contained() != nullptr && !section->Contained()->IsEmpty()) {
      AppendLine(&out, "CONTAIN", "(" + section->Contained()->Show() + ")");
    }
    if (section->IndexPath()) {
      if (section->DataPath()) {
        AppendLine(&out, "DBPATH",
                   "(" + Quoted(*section->IndexPath()) + ", " + Quoted(*section->DataPath()) + ")");
      } else {
        AppendLine(&out, "DBPATH", Quoted(*section->IndexPath()));
      }
    }
    if (main) {
      if (section->WorkPath()) AppendLine(&out, "WORKPATH", Quoted(*section->WorkPath()));
      if (section->CacheSize() > 0) {
        AppendLine(&out, "CASHSIZE", std::to_string(section->CacheSize()));
      }
      if (section->Server()) {
        AppendLine(&out, "SERVER", Quoted(*section->Server()));
        AppendLine(&out, "PORT", std::to_string(section->Port()));
      }
    }
    AppendLine(&out, "READONLY", OnOff(section->IsReadOnly()));
    if (main) {
      AppendLine(&out, "DDD", OnOff(section->DataDictionary()));
      AppendLine(&out, "SECURITY", OnOff(section->Security()));
      AppendLine(&out, "VALUE", OnOff(section->ValueFile()));
      AppendLine(&out, "TLOG", OnOff(section->TransactionLog()));
      AppendLine(&out, "CLOG", OnOff(section->CommandLog()));
    }
  }
  return out;
}

VResult VConfig::Write() {
  const std::string text = Text();
  VFile draft(file_->Name() + ".new", directory_.get());
  // A draft left by an earlier failed write is replaced; if it cannot go, Create says so.
  if (draft.Exists()) (void)draft.Remove();
  VResult result = draft.Create(false);
  if (result != kVOk) return result;
  result = draft.Open(false);
  if (result == kVOk) {
    result = draft.WriteAt(0, text.data(), static_cast<int32_t>(text.size()));
    if (result == kVOk) result = draft.Flush();
    VResult closed = draft.Close();
    if (result == kVOk) result = closed;
  }
  if (result == kVOk) result = draft.Rename(file_->FullPath());
  if (result != kVOk) {
    // The old configuration is untouched; the draft is only in the way.
    (void)draft.Remove();
    return result;
  }
  result = file_->SyncDirectory();
  if (result != kVOk) return result;
  rewrite_ = false;
  for (auto& section : sections_) section->SetChanged(false);
  return kVOk;
}

VDir* VConfig::WorkDirectory() {
  if (workDirectory_ != nullptr) return workDirectory_.get();
  const std::optional<std::string>& path = MainSection()->WorkPath();
  if (path) {
    workDirectory_ = std::make_unique<VDir>(VConfiguredPath(directoryPath_, *path));
    return workDirectory_.get();
  }
  std::string temporary = VTempDirectoryPath();
  VDir folder(temporary);
  if (temporary.empty() || !folder.Exists()) return nullptr;
  char name[32];
  for (int32_t n = 1; n <= kLastTemporaryNumber; ++n) {
    std::snprintf(name, sizeof name, "@VARNEX_T_%05d", n);
    if (!folder.HasChild(name)) break;
  }
  auto made = std::make_unique<VDir>(VJoinPath(temporary, name));
  bool existed = made->Exists();
  if (made->Create(true) != kVOk) return nullptr;
  workDirectory_ = std::move(made);
  workDirectoryMade_ = !existed;
  return workDirectory_.get();
}
