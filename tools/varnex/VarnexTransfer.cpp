// Import and export of delimited text by the varnex tool.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "VarnexResults.h"
#include "VarnexTool.h"
#include "base/VCodePage.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VRecFormat.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"

VarnexTerms VarnexTool::Terms(const VarnexArgs& args) const {
  VarnexTerms terms;
  const std::pair<const char*, std::string*> options[] = {{"--item-term", &terms.item},
                                                          {"--repeat-term", &terms.repeat},
                                                          {"--record-term", &terms.record}};
  for (const auto& [name, slot] : options) {
    if (auto given = args.Option(name)) {
      if (!VarnexParseTerm(In(*given), slot)) {
        throw VarnexError{kUsage, std::string(name) + " needs a terminator"};
      }
    }
  }
  if (terms.item == terms.repeat || terms.item == terms.record || terms.repeat == terms.record) {
    throw VarnexError{kUsage, "the item, repeat and record terminators must differ"};
  }
  return terms;
}

void VarnexTool::Progress(size_t done, size_t total, uint32_t records, bool last) {
  if (!isatty(fileno(errFile_)) || total == 0) return;
  const int percent = static_cast<int>(done * 100 / total);
  if (percent == progressShown_ && !last) return;
  progressShown_ = percent;
  constexpr int kWidth = 40;
  const int filled = percent * kWidth / 100;
  std::fprintf(errFile_, "\r[%s%s] %3d%% %u records", std::string(filled, '#').c_str(),
               std::string(kWidth - filled, ' ').c_str(), percent, records);
  if (last) std::fputc('\n', errFile_);
  std::fflush(errFile_);
}

void VarnexTool::CmdImport(const VarnexArgs& args) {
  if (args.Count() != 2) {
    Usage(
        "import FID FILE [--format FORMATTEXT] [--item-term T] [--repeat-term T] "
        "[--record-term T] [--items LIST]");
  }
  const int32_t fid = FileId(args.At(0));
  const VSch_DBFile& schema = Schema(fid);
  const std::vector<int> items = ItemList(schema, args.Option("--items"));
  std::ifstream in(args.At(1), std::ios::binary);
  if (!in) throw VarnexError{kFailed, "cannot read " + args.At(1) + ": " + std::strerror(errno)};
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!raw_) text = VUtf8ToSjis(text);
  changing_ = true;
  progressShown_ = -1;
  ImportDelimited(fid, text, args, items);
}

void VarnexTool::ImportDelimited(int32_t fid, const std::string& text, const VarnexArgs& args,
                                 const std::vector<int>& items) {
  const VSch_DBFile& schema = Schema(fid);
  const VarnexTerms terms = Terms(args);
  const std::optional<std::string> format = args.Option("--format");
  if (format) {
    VRecFormat compiled;
    Check(compiled.Compile(In(*format)), "--format");
  }
  VarnexDelimitedReader reader(text, terms);
  std::vector<VarnexDelimitedReader::Item> fields;
  uint32_t stored = 0;
  size_t lineStart = 0;
  int64_t lineNumber = 0;
  VRecord record;
  while (true) {
    record.Clear();
    std::string where;
    if (format) {
      // The format language reads each record from its own line.
      if (lineStart >= text.size()) break;
      ++lineNumber;
      size_t end =
          terms.record.empty() ? text.find('\n', lineStart) : text.find(terms.record, lineStart);
      if (end == std::string::npos) end = text.size();
      size_t length = end - lineStart;
      if (terms.record.empty() && length > 0 && text[end - 1] == '\r') --length;
      const size_t next = end + (terms.record.empty() ? 1 : terms.record.size());
      where = "line " + std::to_string(lineNumber) + ": ";
      const std::string_view line(text.data() + lineStart, length);
      lineStart = std::min(next, text.size());
      if (line.empty()) continue;
      const VResult packed = record.Pack(In(*format), reinterpret_cast<const uint8_t*>(line.data()),
                                         static_cast<int32_t>(line.size()), handle_.get());
      if (packed != kVOk) throw VarnexError{kFailed, where + VarnexExplain(packed)};
      Progress(lineStart, text.size(), stored, false);
    } else {
      if (!reader.Next(&fields)) break;
      where = "line " + std::to_string(reader.RecordLine()) + ": ";
      for (size_t i = 0; i < fields.size() && i < items.size(); ++i) {
        for (const VarnexDelimitedReader::Value& value : fields[i]) {
          AddValueText(schema, items[i], value.text, &record,
                       where + "item " + std::to_string(items[i]) + " ");
        }
      }
      Progress(reader.Position(), text.size(), stored, false);
    }
    if (record.ItemCount() == 0) continue;  // a blank line
    uint32_t r = 0;
    const VResult result = handle_->Insert(fid, record, &r);
    if (result != kVOk) {
      importedBeforeError_ = stored;
      if (isatty(fileno(errFile_))) std::fputc('\n', errFile_);
      throw VarnexError{kFailed, where + "insert: " + VarnexExplain(result)};
    }
    ++stored;
  }
  Progress(text.size(), text.size(), stored, true);
  Say("imported " + std::to_string(stored) + " records");
}

void VarnexTool::CmdExport(const VarnexArgs& args) {
  if (args.Count() < 1 || args.Count() > 2) {
    Usage(
        "export FID [STATEMENT] [--items LIST] [--item-term T] [--repeat-term T] "
        "[--record-term T]");
  }
  const int32_t fid = FileId(args.At(0));
  const VSch_DBFile& schema = Schema(fid);
  const std::vector<int> items = ItemList(schema, args.Option("--items"));
  const VarnexTerms terms = Terms(args);
  const std::string statement = args.Count() == 2 ? In(args.At(1)) : "all";
  int32_t set = 0;
  uint32_t size = 0;
  Check(handle_->MakeSet(fid, statement, &set, &size), "export");
  VResult result = kVOk;
  VRecord record;
  const std::string end = VarnexRecordTerm(terms);
  for (uint32_t i = 0; i < size && result == kVOk; ++i) {
    uint32_t r = 0;
    result = handle_->SetGet(fid, set, i, &r, &record);
    if (result != kVOk) break;
    std::string line;
    for (size_t c = 0; c < items.size(); ++c) {
      if (c > 0) line += terms.item;
      const std::vector<std::string> values = ValueTexts(record, items[c]);
      for (size_t v = 0; v < values.size(); ++v) {
        if (v > 0) line += terms.repeat;
        line += VarnexDelimitedValue(values[v], terms);
      }
    }
    line = Out(line) + end;
    std::fwrite(line.data(), 1, line.size(), outFile_);
  }
  (void)handle_->DropSet(fid, set);  // the set lives in work files that go when the tool ends
  Check(result, "export");
  std::fflush(outFile_);
}
