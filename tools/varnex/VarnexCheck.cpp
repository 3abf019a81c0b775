// The check command of the varnex tool: the schemas come from the data dictionary through the
// handle, then the record files are checked from the bytes on disk with the database closed.
#include "VarnexResults.h"
#include "VarnexTool.h"
#include "base/VFile.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VConfig.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/store/VDBCheck.h"

namespace {

std::unique_ptr<VSch_DBFile> AsFile(std::unique_ptr<VSchema> schema) {
  if (schema == nullptr || schema->Kind() != VSchema::kFile) return nullptr;
  return std::unique_ptr<VSch_DBFile>(static_cast<VSch_DBFile*>(schema.release()));
}

}  // namespace

void VarnexTool::CmdCheck(const VarnexArgs& args) {
  StartEngine(true);
  std::vector<std::unique_ptr<VSch_DBFile>> files;
  int32_t problems = 0;
  auto problem = [&](const std::string& text) {
    ++problems;
    Say(text);
  };
  try {
    OpenDatabase();
    std::vector<int32_t> numbers;
    if (args.Count() == 0) {
      std::string name;
      std::string desc;
      std::vector<uint32_t> listed;
      Check(handle_->GetInfo(&name, &desc, &listed), "dictionary");
      for (uint32_t n : listed) numbers.push_back(static_cast<int32_t>(n));
    }
    for (const std::string& word : args.Words()) numbers.push_back(FileId(word));
    for (int32_t number : numbers) {
      std::string text;
      const VResult fetched = handle_->FetchSchema(number, &text);
      std::unique_ptr<VSch_DBFile> file =
          fetched == kVOk ? AsFile(ReadSchema(text.data(), static_cast<int64_t>(text.size())))
                          : nullptr;
      if (file == nullptr) {
        problem("file " + std::to_string(number) + ": its schema cannot be read from the " +
                "dictionary (" + VarnexExplain(fetched) + ")");
        continue;
      }
      files.push_back(std::move(file));
    }
    CloseDatabase();
  } catch (const VarnexError& e) {
    if (e.status == kUsage) throw;
    problem("the data dictionary cannot be read: " + e.message);
  } catch (const VFailure& failure) {
    problem("the data dictionary cannot be read: the engine failed: " +
            VarnexExplain(static_cast<VResult>(failure.Code())));
  }
  // The check reads the files itself from here on; the engine only read the dictionary, so its
  // close has nothing to commit.
  if (handle_->IsOpen()) (void)handle_->Close();
  if (args.Count() == 0) {
    // The engine's own files, those that exist.
    for (const char* const* text : {kVSchemaDataDictionary, kVSchemaUserFile, kVSchemaValueFile,
                                    kVSchemaTransactionLog, kVSchemaCommandLog}) {
      std::unique_ptr<VSch_DBFile> file = AsFile(ReadSchema(text, 0));
      if (file == nullptr) continue;
      VFile index(file->StorageName() + ".idx", engine_->Config()->IndexDirectory(file->Number()));
      if (index.Exists()) files.push_back(std::move(file));
    }
  }
  VDBCheck check(engine_->Config());
  for (const auto& file : files) {
    const std::string title = "file " + FileTitle(*file);
    const int32_t found = check.CheckFile(*file);
    for (const std::string& note : check.Notes()) Say(title + ": note: " + note);
    for (const std::string& text : check.Problems()) Say(title + ": " + text);
    problems += found;
    const VDBCheck::Summary& s = check.LastSummary();
    Say(title + ": " + (found == 0 ? "ok" : std::to_string(found) + " problems") + ", " +
        std::to_string(s.records) + " records, last record " + std::to_string(s.lastRecord) + ", " +
        std::to_string(s.keys) + " keys");
  }
  if (problems > 0) {
    throw VarnexError{kFailed, "check found " + std::to_string(problems) + " problems"};
  }
  Say("check: no problems");
}
