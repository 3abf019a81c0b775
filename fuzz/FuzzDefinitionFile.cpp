// Definition files (".ova") as a user may bring them: read into templates, listed, and every form
// built into a window on the screenless platform side.
#include <cstddef>
#include <cstdint>

#include "base/VStream.h"
#include "gt/OGTWindow.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "template/OFTApp.h"
#include "template/OFTBuild.h"
#include "template/OFTDump.h"
#include "template/OFTForm.h"
#include "template/OFTPool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static OGTHeadlessFactory factory;
  OFTPool pool;
  // A stream over no bytes would mean an unbounded one.
  if (size > 0) {
    VROMStream stream(data, static_cast<int64_t>(size));
    pool.ReadDefinition(stream);
  }
  (void)DescribePool(pool);
  for (int32_t a = 0; a < pool.AppCount(); ++a) {
    const OFTApp* app = pool.AppAt(a);
    for (int32_t f = 0; f < app->FormCount(); ++f) {
      const char* name = app->FormAt(f)->Name();
      if (name != nullptr) (void)BuildWindow(app, name);
    }
  }
  return 0;
}
