// A player working in a temporary folder with the headless platform side: definition files are
// written (from UTF-8 texts) into its "OVAFolder", and the runner opens "./Varnex.conf" and
// "./OVAFolder" there as the player does.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Sjis.h"
#include "TempDir.h"
#include "app/OvARunAppList.h"
#include "app/OvARunner.h"
#include "gt/OGTList.h"
#include "gt/OGTListData.h"
#include "gt/imp/OGTItemImp.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "gt/imp/headless/OGTHeadlessImp.h"

class PlayerTest : public ::testing::Test {
 protected:
  PlayerTest() : dir_(true) {
    std::filesystem::create_directory(dir_ / "OVAFolder");
    auto factory = std::make_unique<OGTHeadlessFactory>();
    factory_ = factory.get();
    runner_ = std::make_unique<OvARunner>();
    EXPECT_EQ(runner_->SetImpFactory(std::move(factory)), 0);
    // The screen outlives the factory as long as something made from it lives.
    screen_ = factory_->Screen().shared_from_this();
  }

  void TearDown() override {
    // A test that deleted the runner itself has deleted the factory with it.
    if (runner_ != nullptr) {
      EXPECT_EQ(factory_->User().Pending(), 0u) << "scripted steps were left over";
    }
    EXPECT_TRUE(screen_->ModalStack().empty());
    runner_.reset();
    EXPECT_TRUE(screen_->TopLevels().empty()) << "a window outlived the runner";
  }

  // Writes a definition file (UTF-8 text, stored as Shift-JIS) into the folder.
  void WriteDefinition(const std::string& name, const char* utf8) {
    std::ofstream out(dir_ / ("OVAFolder/" + name), std::ios::binary);
    out << Sj(utf8);
  }

  // The answer is what the start-up box reports; tests that care call the runner themselves.
  void Open() { (void)runner_->Open("./Varnex.conf", "./OVAFolder"); }
  void OpenAndStart() {
    Open();
    runner_->Start();
  }

  OGTHeadlessScreen& Screen() { return *screen_; }
  OGTHeadlessUser& User() { return factory_->User(); }

  // The titles (Shift-JIS) of the top-level windows on screen, back to front.
  std::vector<std::string> WindowTitles() const {
    std::vector<std::string> titles;
    for (const OGTHeadlessNode* node : screen_->TopLevels()) titles.push_back(node->text_);
    return titles;
  }

  static std::vector<std::string> Rows(const OGTList* list) {
    std::vector<std::string> rows;
    auto* data = list != nullptr ? dynamic_cast<OGTListData_String*>(list->RowData()) : nullptr;
    for (int32_t i = 0; data != nullptr && i < data->RowCount(); ++i)
      rows.push_back(data->RowText(i));
    return rows;
  }

  static std::vector<std::string> Sjs(std::initializer_list<const char*> utf8) {
    std::vector<std::string> texts;
    for (const char* text : utf8) texts.push_back(Sj(text));
    return texts;
  }

  TempDir dir_;
  OGTHeadlessFactory* factory_ = nullptr;
  std::shared_ptr<OGTHeadlessScreen> screen_;
  std::unique_ptr<OvARunner> runner_;
};
