#include "template/OFTPool.h"

#include <memory>

#include "base/VFile.h"
#include "base/VStream.h"
#include "template/OFTApp.h"
#include "template/OFTStatement.h"

OFTApp* OFTPool::AppAt(int32_t index) const { return dynamic_cast<OFTApp*>(NamedAt(index)); }

OFTApp* OFTPool::FindApp(const char* name) const { return dynamic_cast<OFTApp*>(FindByName(name)); }

void OFTPool::ReadDefinition(VStream& stream) {
  VString name;
  VString value;
  for (;;) {
    int kind = ReadStatement(stream, name, value);
    if (kind == kOFTEndOfFile || kind == kOFTEndTag) return;
    if (kind == kOFTBeginTag && name == "Application") {
      auto app = std::make_unique<OFTApp>();
      app->Read(stream);
      Add(std::move(app), true);
    }
  }
}

VResult ReadDefinitionFile(OFTPool& pool, VDirElement* file) {
  if (file == nullptr || !file->IsFile()) return kVOpenFailed;
  auto* entry = static_cast<VFile*>(file);
  bool wasOpen = entry->IsOpen();
  if (!wasOpen) {
    VResult opened = entry->Open(true);
    if (opened != kVOk) return opened;
  }
  VFileStream* stream = entry->ReadStream();
  if (stream == nullptr) return kVOpenFailed;
  stream->SeekStart();
  pool.ReadDefinition(*stream);
  VResult read = stream->Error();
  if (!wasOpen) (void)entry->Close();  // only read from
  return read;
}
