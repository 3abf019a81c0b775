// Record format texts: the first line of the input is compiled as a format; a record of every
// common value type is exported with it, the export read back, and the rest of the input imported
// with it, through streams and through memory blocks alike.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/VStream.h"
#include "db/schema/VRecFormat.h"
#include "db/schema/VRecord.h"
#include "db/schema/VValue.h"

namespace {

const VRecord& Sample() {
  static const VRecord* sample = [] {
    auto* record = new VRecord;
    const struct {
      int item;
      int type;
      const char* text;
    } values[] = {{1, kVTypeString, "name"},
                  {2, kVTypeNumber, "-12.50"},
                  {3, kVTypeDate, "2024/02/29"},
                  {4, kVTypeTime, "23:59:58"},
                  {5, kVTypeInteger, "65535"},
                  {6, kVTypeFlag, "1"},
                  {7, kVTypeChar, "\x82\xa0"},
                  {7, kVTypeChar, "z"},
                  {8, kVTypeDateTime, "1999/12/31 10:20:30"}};
    for (const auto& v : values) {
      (void)record->SetValueFromText(v.item, v.type, reinterpret_cast<const uint8_t*>(v.text),
                                     static_cast<int32_t>(std::string_view(v.text).size()));
    }
    return record;
  }();
  return *sample;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = std::min(input.find('\n'), input.size());
  const std::string_view text = input.substr(0, cut);
  const std::string_view rest = cut < input.size() ? input.substr(cut + 1) : std::string_view();
  VRecFormat format;
  if (format.Compile(text) != 0) return 0;

  VDMemStream exported;
  if (format.Export(Sample().View(), exported, nullptr) == 0 && exported.Size() > 0) {
    VROMStream back(exported.Data(), exported.Size());
    VRecord again;
    (void)format.Import(again, back, nullptr);
  }
  if (!rest.empty()) {
    VROMStream stream(rest.data(), static_cast<int64_t>(rest.size()));
    VRecord imported;
    if (format.Import(imported, stream, nullptr) == 0) {
      VDMemStream out;
      (void)format.Export(imported.View(), out, nullptr);
    }
  }
  // The same through memory blocks, never past their ends.
  std::vector<uint8_t> block(256);
  int32_t length = 0;
  (void)Sample().Unpack(text, block.data(), static_cast<int32_t>(block.size()), &length);
  VRecord packed;
  int32_t consumed = 0;
  (void)packed.Pack(text, reinterpret_cast<const uint8_t*>(rest.data()),
                    static_cast<int32_t>(std::min<size_t>(rest.size(), 1 << 20)), nullptr,
                    &consumed);
  return 0;
}
