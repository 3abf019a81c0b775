// Import and export of delimited text by the varnex tool.
#include <unistd.h>

#include <algorithm>
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
#include "db/schema/VVDD.h"

namespace {

// How many of an item's long-data values carry more than their data: a source name, times or
// secondary data (which a value made from a file may have, and delimited text cannot hold).
uint32_t SourceInfoCount(const VRecord& record, int item) {
  uint32_t count = 0;
  for (int32_t occurrence = 1; occurrence <= record.OccurrenceCount(item); ++occurrence) {
    VValueRef ref;
    if (record.ValueRef(item, occurrence, &ref) != kVOk || !VIsLongType(ref.type)) continue;
    const uint8_t* body = ref.value + 1;
    if (body[0] > kVLongNameOffset || VVDD_Long::SecondaryId(body) != 0 ||
        VVDD_Long::FirstTime(body) != 0 || VVDD_Long::SecondTime(body) != 0) {
      ++count;
    }
  }
  return count;
}

// Whether bytes are UTF-8 text with characters beyond ASCII, which Shift-JIS Japanese text
// practically never is.
bool LooksLikeUtf8(const std::string& bytes) {
  std::string sjis;
  VarnexBadText bad;
  return std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; }) &&
         VarnexToSjis(bytes, VarnexEncoding::kUtf8, &sjis, &bad);
}

}  // namespace

VDelimitedSyntax VarnexTool::Terms(const VarnexArgs& args) const {
  VDelimitedSyntax terms = VarnexDefaultSyntax();
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
  if (!VDelimitedSyntaxUsable(terms)) {
    throw VarnexError{kUsage, "a terminator cannot hold a double quote"};
  }
  return terms;
}

VarnexEncoding VarnexTool::FileEncoding(const VarnexArgs& args) const {
  const std::optional<std::string> given = args.Option("--encoding");
  if (!given) return raw_ ? VarnexEncoding::kRaw : VarnexEncoding::kUtf8;
  VarnexEncoding encoding = VarnexEncoding::kUtf8;
  if (!VarnexParseEncoding(*given, &encoding)) {
    throw VarnexError{kUsage, "--encoding is utf-8 or cp932, not " + In(*given)};
  }
  return encoding;
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
        "[--record-term T] [--items LIST] [--encoding utf-8|cp932]");
  }
  const int32_t fid = FileId(args.At(0));
  const VSch_DBFile& schema = Schema(fid);
  const std::vector<int> items = ItemList(schema, args.Option("--items"));
  const VarnexEncoding encoding = FileEncoding(args);
  std::ifstream in(args.At(1), std::ios::binary);
  if (!in)
    throw VarnexError{kFailed, "cannot read " + Shown(args.At(1)) + ": " + std::strerror(errno)};
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The whole file is checked before anything is stored: a byte that does not convert would
  // otherwise be stored as a replacement character, and the data would be gone.
  std::string text;
  VarnexBadText bad;
  if (!VarnexToSjis(bytes, encoding, &text, &bad)) {
    std::string advice;
    if (encoding == VarnexEncoding::kUtf8 && bad.what.find("UTF-8") != std::string::npos) {
      advice = " (a Shift-JIS file needs --encoding cp932)";
    } else if (encoding == VarnexEncoding::kCp932) {
      advice = " (a UTF-8 file needs --encoding utf-8)";
    }
    throw VarnexError{kFailed, Shown(args.At(1)) + " is not " + VarnexEncodingName(encoding) +
                                   " text: line " + std::to_string(bad.line) + ", byte " +
                                   std::to_string(bad.column) + " (offset " +
                                   std::to_string(bad.offset) + " in the file): " + bad.what +
                                   "; nothing was imported" + advice};
  }
  if (encoding == VarnexEncoding::kCp932 && LooksLikeUtf8(bytes)) {
    Warn(Shown(args.At(1)) +
         " reads as UTF-8 text as well: if it is UTF-8, import it without --encoding cp932");
  }
  changing_ = true;
  progressShown_ = -1;
  ImportDelimited(fid, text, args, items);
}

void VarnexTool::ImportDelimited(int32_t fid, const std::string& text, const VarnexArgs& args,
                                 const std::vector<int>& items) {
  const VSch_DBFile& schema = Schema(fid);
  const VDelimitedSyntax terms = Terms(args);
  const std::optional<std::string> format = args.Option("--format");
  if (format) {
    VRecFormat compiled;
    Check(compiled.Compile(In(*format)), "--format");
  }
  VDelimitedReader reader(text, terms);
  std::vector<VDelimitedReader::Item> fields;
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
      where = "line " + std::to_string(reader.Line()) + ": ";
      const VResult got = reader.NextRecord(&fields);
      if (got == kVEnd) break;
      if (got != kVOk) throw VarnexError{kFailed, where + VarnexExplain(got)};
      for (size_t i = 0; i < fields.size() && i < items.size(); ++i) {
        for (const VDelimitedReader::Value& value : fields[i]) {
          AddValueText(schema, items[i], value.text, &record,
                       where + "item " + std::to_string(items[i]) + " ");
        }
      }
      Progress(static_cast<size_t>(reader.Consumed()), text.size(), stored, false);
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
        "[--record-term T] [--encoding utf-8|cp932] [--no-long-data]");
  }
  const int32_t fid = FileId(args.At(0));
  const VSch_DBFile& schema = Schema(fid);
  const std::vector<int> items = ItemList(schema, args.Option("--items"));
  const VDelimitedSyntax terms = Terms(args);
  const VDelimitedWriter writer(terms);
  const VarnexEncoding encoding = FileEncoding(args);
  const VarnexLongData longData =
      args.Flag("--no-long-data") ? VarnexLongData::kNone : VarnexLongData::kData;
  const std::string statement = args.Count() == 2 ? In(args.At(1)) : "all";
  // Text of the system (Shift-JIS) in the file's encoding; where names the value for a failure.
  auto encode = [&](const std::string& sjis, const std::string& where) {
    std::string out;
    VarnexBadText bad;
    if (!VarnexFromSjis(sjis, encoding, &out, &bad)) {
      throw VarnexError{kFailed, where + ": the stored bytes are not Shift-JIS text (" + bad.what +
                                     " at byte " + std::to_string(bad.offset + 1) +
                                     "); export them with --raw to write them as they are"};
    }
    return out;
  };
  const std::string itemTerm = encode(terms.item, "--item-term");
  const std::string repeatTerm = encode(terms.repeat, "--repeat-term");
  const std::string end = encode(VarnexRecordTerm(terms), "--record-term");
  int32_t set = 0;
  uint32_t size = 0;
  CheckStatement(handle_->MakeSet(fid, statement, &set, &size), "export", schema, statement);
  VResult result = kVOk;
  VRecord record;
  uint32_t sourceInfo = 0;
  try {
    for (uint32_t i = 0; i < size && result == kVOk; ++i) {
      uint32_t r = 0;
      result = handle_->SetGet(fid, set, i, &r, &record);
      if (result != kVOk) break;
      std::string line;
      for (size_t c = 0; c < items.size(); ++c) {
        if (c > 0) line += itemTerm;
        const std::string where =
            "record " + std::to_string(r) + " item " + std::to_string(items[c]);
        const std::vector<std::string> values = ValueTexts(record, items[c], longData);
        for (size_t v = 0; v < values.size(); ++v) {
          if (v > 0) line += repeatTerm;
          std::string written;
          writer.Append(&written, values[v]);
          line += encode(written, where);
        }
        sourceInfo += longData == VarnexLongData::kData ? SourceInfoCount(record, items[c]) : 0;
      }
      line += end;
      std::fwrite(line.data(), 1, line.size(), outFile_);
    }
  } catch (...) {
    (void)handle_->DropSet(fid, set);  // the failure is the answer; the set goes with the tool
    throw;
  }
  (void)handle_->DropSet(fid, set);  // the set lives in work files that go when the tool ends
  Check(result, "export");
  std::fflush(outFile_);
  if (sourceInfo > 0) {
    Warn(std::to_string(sourceInfo) +
         " long-data values carry a source name, times or secondary data, which export does not "
         "write: their data is exported, those are not");
  }
}
