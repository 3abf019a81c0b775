// The info and schema commands of the varnex tool, in each output format: the table format writes
// lines for a person (and the schema text as it is kept), tsv a header and one row per file (info)
// or per file, item and key (schema), json one object.
#include <algorithm>

#include "VarnexTool.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VSchema.h"
#include "db/schema/VVM.h"

namespace {

// A key's type and flags without the quotes of the schema text: "String,Reverse".
std::string KeyType(const VSch_DBKey& key) {
  std::string text = key.TypeText();
  text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
  return text;
}

std::string ItemType(const VSch_DBItem& item) {
  const char* name = nullptr;
  return VVM::Instance().TypeName(item.Type(), &name) ? name : std::to_string(item.Type());
}

std::vector<std::string> KeyParts(const VSch_DBKey& key) {
  std::vector<std::string> parts;
  for (int p = 0; p < key.PartCount(); ++p)
    parts.push_back(std::to_string(key.PartAt(p)->Number()));
  return parts;
}

// JSON members of a Shift-JIS text and of a list of numbers.
std::string JsonText(const VarnexOutput& out, const char* name, const std::string& sjis) {
  return VarnexJsonString(name) + ": " + VarnexJsonString(out.Text(sjis));
}

std::string JsonNumbers(const char* name, const std::vector<std::string>& numbers) {
  std::string text = VarnexJsonString(name) + ": [";
  for (size_t i = 0; i < numbers.size(); ++i) text += (i ? ", " : "") + numbers[i];
  return text + "]";
}

// The members every schema node has beyond its number: name, and label and description when set.
std::string JsonNames(const VarnexOutput& out, const VSchema& node) {
  std::string text = ", " + JsonText(out, "name", node.Name());
  if (!node.Label().empty()) text += ", " + JsonText(out, "label", node.Label());
  if (!node.Desc().empty()) text += ", " + JsonText(out, "description", node.Desc());
  return text;
}

std::string JsonKey(const VarnexOutput& out, const VSch_DBKey& key) {
  return "{\"key\": " + std::to_string(key.Number()) + JsonNames(out, key) + ", " +
         JsonText(out, "type", KeyType(key)) + ", " + JsonNumbers("items", KeyParts(key)) + "}";
}

}  // namespace

void VarnexTool::CmdInfo(const VarnexArgs& args) {
  if (args.Count() != 0) Usage("info");
  OpenDatabase();
  std::string name;
  std::string desc;
  std::vector<uint32_t> files;
  Check(handle_->GetInfo(&name, &desc, &files), "info");
  struct FileInfo {
    const VSch_DBFile* schema;
    uint32_t count = 0;
    uint32_t last = 0;
  };
  std::vector<FileInfo> infos;
  for (uint32_t number : files) {
    const int32_t fid = static_cast<int32_t>(number);
    FileInfo info{&Schema(fid)};
    uint32_t first = 0;
    Check(handle_->CountRecords(fid, "all", &info.count, &first), "file " + std::to_string(fid));
    Check(handle_->MaxRNbr(fid, &info.last), "file " + std::to_string(fid));
    infos.push_back(info);
  }
  switch (out_->Format()) {
    case VarnexFormat::kTable:
      Say("database: " + name);
      Say("description: " + desc);
      for (const FileInfo& info : infos) {
        const VSch_DBFile& schema = *info.schema;
        Say("file " + std::to_string(schema.Number()) + " \"" + schema.Name() + "\" label \"" +
            schema.StorageName() + "\": " + std::to_string(info.count) + " records, last record " +
            std::to_string(info.last));
        for (int k = 0; k < schema.KeyCount(); ++k) {
          const VSch_DBKey& key = *schema.KeyAt(k);
          std::string parts;
          for (const std::string& part : KeyParts(key))
            parts += (parts.empty() ? "[" : " + [") + part + "]";
          Say("  key " + std::to_string(key.Number()) + " \"" + key.Name() + "\" " +
              key.TypeText() + " " + (parts.empty() ? "NONE" : parts));
        }
      }
      return;
    case VarnexFormat::kTsv: {
      // One row per file; the database's name and description on each (on one row of empty file
      // columns when there is no file).
      out_->Begin({{"database", "database"},
                   {"description", "description"},
                   {"file", "file", true},
                   {"name", "name"},
                   {"label", "label"},
                   {"records", "records", true},
                   {"last record", "last record", true},
                   {"keys", "keys"}});
      if (infos.empty()) out_->Row({{name}, {desc}, {}, {}, {}, {}, {}, {}});
      for (const FileInfo& info : infos) {
        const VSch_DBFile& schema = *info.schema;
        VarnexCell keys;
        for (int k = 0; k < schema.KeyCount(); ++k) {
          const VSch_DBKey& key = *schema.KeyAt(k);
          std::string parts;
          for (const std::string& part : KeyParts(key)) parts += (parts.empty() ? "" : "+") + part;
          keys.push_back(std::to_string(key.Number()) + " " + key.Name() + " " + KeyType(key) +
                         " [" + parts + "]");
        }
        out_->Row({{name},
                   {desc},
                   {std::to_string(schema.Number())},
                   {schema.Name()},
                   {schema.StorageName()},
                   {std::to_string(info.count)},
                   {std::to_string(info.last)},
                   keys});
      }
      out_->End();
      return;
    }
    case VarnexFormat::kJson: {
      std::string line = "{" + JsonText(*out_, "database", name) + ", " +
                         JsonText(*out_, "description", desc) + ", \"files\": [";
      for (size_t f = 0; f < infos.size(); ++f) {
        const VSch_DBFile& schema = *infos[f].schema;
        line += (f ? ", {\"file\": " : "{\"file\": ") + std::to_string(schema.Number()) + ", " +
                JsonText(*out_, "name", schema.Name()) + ", " +
                JsonText(*out_, "label", schema.StorageName()) +
                ", \"records\": " + std::to_string(infos[f].count) +
                ", \"last_record\": " + std::to_string(infos[f].last) + ", \"keys\": [";
        for (int k = 0; k < schema.KeyCount(); ++k) {
          line += (k ? ", " : "") + JsonKey(*out_, *schema.KeyAt(k));
        }
        line += "]}";
      }
      line += "]}\n";
      std::fwrite(line.data(), 1, line.size(), outFile_);
      return;
    }
  }
}

void VarnexTool::CmdSchema(const VarnexArgs& args) {
  if (args.Count() != 1) Usage("schema FID");
  const int32_t fid = FileId(args.At(0));
  if (out_->Format() == VarnexFormat::kTable) {
    std::string text;
    Check(handle_->FetchSchema(fid, &text), "schema");
    std::string out = Out(text);
    out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
    std::fputs(out.c_str(), outFile_);
    return;
  }
  const VSch_DBFile& schema = Schema(fid);
  const std::string blocks =
      std::to_string(schema.IndexBlockSize()) + "," + std::to_string(schema.DataBlockSize());
  if (out_->Format() == VarnexFormat::kTsv) {
    // One row per file, item and key; size is the file's index and data block sizes or the
    // item's length, items the key's parts.
    out_->Begin({{"kind", "kind"},
                 {"number", "number", true},
                 {"name", "name"},
                 {"type", "type"},
                 {"size", "size"},
                 {"items", "items"},
                 {"label", "label"},
                 {"description", "description"}});
    out_->Row({{"file"},
               {std::to_string(fid)},
               {schema.Name()},
               {},
               {blocks},
               {},
               {schema.Label()},
               {schema.Desc()}});
    for (int i = 0; i < schema.ItemCount(); ++i) {
      const VSch_DBItem& item = *schema.ItemAt(i);
      out_->Row({{"item"},
                 {std::to_string(item.Number())},
                 {item.Name()},
                 {ItemType(item)},
                 {std::to_string(item.Length())},
                 {},
                 {item.Label()},
                 {item.Desc()}});
    }
    for (int k = 0; k < schema.KeyCount(); ++k) {
      const VSch_DBKey& key = *schema.KeyAt(k);
      out_->Row({{"key"},
                 {std::to_string(key.Number())},
                 {key.Name()},
                 {KeyType(key)},
                 {},
                 KeyParts(key),
                 {key.Label()},
                 {key.Desc()}});
    }
    out_->End();
    return;
  }
  std::string line = "{\"file\": " + std::to_string(fid) + JsonNames(*out_, schema) +
                     ", \"blocksize\": [" + std::to_string(schema.IndexBlockSize()) + ", " +
                     std::to_string(schema.DataBlockSize()) + "], \"items\": [";
  for (int i = 0; i < schema.ItemCount(); ++i) {
    const VSch_DBItem& item = *schema.ItemAt(i);
    line += (i ? ", {\"item\": " : "{\"item\": ") + std::to_string(item.Number()) +
            JsonNames(*out_, item) + ", " + JsonText(*out_, "type", ItemType(item)) +
            ", \"length\": " + std::to_string(item.Length()) + "}";
  }
  line += "], \"keys\": [";
  for (int k = 0; k < schema.KeyCount(); ++k) {
    line += (k ? ", " : "") + JsonKey(*out_, *schema.KeyAt(k));
  }
  line += "]}\n";
  std::fwrite(line.data(), 1, line.size(), outFile_);
}
