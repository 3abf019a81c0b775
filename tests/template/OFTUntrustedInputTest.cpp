// Definition files come from users. Whatever bytes they hold, reading them must end, never read
// past the input and never crash; what can be read is kept. These tests run under the sanitizers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "Definition.h"
#include "gt/OGTWindow.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "template/OFTApp.h"
#include "template/OFTBuild.h"
#include "template/OFTDump.h"
#include "template/OFTForm.h"
#include "template/OFTPool.h"

namespace {

const std::string kSample = FileContents(std::string(OV_TEST_DATA) + "/template/sales.ova");

// Reads the bytes from an exactly sized heap block, so that the sanitizer sees any read past it.
void ReadExactly(OFTPool& pool, const std::string& bytes) {
  if (bytes.empty()) return;
  auto exact = std::make_unique<char[]>(bytes.size());
  std::memcpy(exact.get(), bytes.data(), bytes.size());
  VROMStream stream(exact.get(), static_cast<int64_t>(bytes.size()));
  pool.ReadDefinition(stream);
}

// Reads the bytes, lists the pool and builds every form of it.
void ReadListAndBuild(const std::string& bytes) {
  OFTPool pool;
  ReadExactly(pool, bytes);
  DescribePool(pool);
  for (int32_t a = 0; a < pool.AppCount(); ++a) {
    OFTApp* app = pool.AppAt(a);
    for (int32_t f = 0; f < app->FormCount(); ++f) {
      const char* name = app->FormAt(f)->Name();
      if (name != nullptr) BuildWindow(app, name);
    }
  }
}

TEST(OFTUntrustedInput, EveryTruncationOfAValidFileKeepsWhatWasReadBeforeTheCut) {
  ASSERT_GT(kSample.size(), 1000u);
  size_t firstBegin = kSample.find("[Application]");
  size_t firstEnd = kSample.find("[/Application]");
  ASSERT_NE(firstEnd, std::string::npos);
  for (size_t cut = 0; cut <= kSample.size(); ++cut) {
    OFTPool pool;
    ReadExactly(pool, kSample.substr(0, cut));
    ASSERT_LE(pool.AppCount(), 2) << cut;
    // A truncated file ends its open blocks at its end: the first application is there as soon
    // as its begin tag is.
    if (cut >= firstBegin + 13) {
      ASSERT_GE(pool.AppCount(), 1) << cut;
    }
    if (cut > firstEnd + 20) {
      ASSERT_EQ(pool.AppAt(0)->FormCount(), 2) << cut;
      ASSERT_EQ(pool.AppAt(0)->SearchCount(), 1) << cut;
    }
  }
}

TEST(OFTUntrustedInput, RandomBytesAndThousandsOfMutationsOfAValidFile) {
  OGTHeadlessFactory factory;
  std::mt19937 random(20240614);
  auto below = [&random](size_t n) { return n == 0 ? 0 : static_cast<size_t>(random() % n); };
  const std::string special = "[]{};=\"/ \t\r\n,";
  const uint8_t leads[] = {0x81, 0x83, 0x9F, 0xE0, 0xFC};

  for (int i = 0; i < 200; ++i) {
    std::string noise(below(4096), '\0');
    for (char& c : noise) {
      c = below(4) == 0 ? special[below(special.size())] : static_cast<char>(random());
    }
    ReadListAndBuild(noise);
  }

  for (int i = 0; i < 3000; ++i) {
    std::string text = kSample;
    size_t edits = 1 + below(8);
    for (size_t e = 0; e < edits && !text.empty(); ++e) {
      size_t at = below(text.size());
      switch (below(6)) {
        case 0:
          text[at] = static_cast<char>(random());
          break;
        case 1:
          text.insert(at, 1, special[below(special.size())]);
          break;
        case 2:
          text.insert(at, 1, static_cast<char>(leads[below(sizeof leads)]));
          break;
        case 3:
          text.erase(at, 1 + below(64));
          break;
        case 4:
          text.insert(at, text.substr(below(text.size()), below(256)));
          break;
        default:
          text.resize(at);
          text.push_back(static_cast<char>(leads[below(sizeof leads)]));
          break;
      }
    }
    ReadListAndBuild(text);
  }
}

TEST(OFTUntrustedInput, HugeAndDeeplyNestedValues) {
  OGTHeadlessFactory factory;
  std::string deep =
      "[Application]\nName = \"a\";\n[Form]\nName = \"b\";\nFormType = 1;\n"
      "[Label]\nTitle = ";
  deep += std::string(200000, '{');
  deep += "x";
  deep += std::string(100000, '}');
  deep += ";\n[/Label]\n";
  ReadListAndBuild(deep);
  OFTPool pool;
  ReadExactly(pool, deep);
  // The unclosed brace group runs to the end of the file; the label is still read.
  ASSERT_EQ(pool.AppCount(), 1);
  ASSERT_EQ(pool.AppAt(0)->FormCount(), 1);
  ASSERT_EQ(pool.AppAt(0)->FormAt(0)->ItemCount(), 1);
  const VString* title = pool.AppAt(0)->FormAt(0)->ItemAt(0)->Title();
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->ToStdString(), "x" + std::string(100000, '}') + ";\n[/Label]");

  std::string wide = "[Application]\nName = \"" + std::string(1 << 20, 'n') + "\";\n";
  OFTPool widePool;
  ReadExactly(widePool, wide);
  ASSERT_EQ(widePool.AppCount(), 1);
  EXPECT_EQ(widePool.AppAt(0)->NameLength(), 1u << 20);
}

}  // namespace
