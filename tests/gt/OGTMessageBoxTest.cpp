#include "gt/OGTMessageBox.h"

#include <gtest/gtest.h>

#include <string>

#include "Sjis.h"
#include "base/VCodePage.h"
#include "base/VString.h"
#include "gt/OGTDialog.h"
#include "gt/OGTEvent.h"
#include "gt/OGTTexts.h"
#include "gt/OGTWindow.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"

namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  OGTHeadlessScreen& Screen() { return factory_.Screen(); }
  OGTHeadlessUser& User() { return factory_.User(); }

  // The single modal dialog seen, checked for title and geometry.
  const OGTSeen& Box(const std::string& title, int32_t variant, int32_t width, int32_t height) {
    const OGTSeen* box = Screen().LastModal();
    EXPECT_NE(box, nullptr);
    EXPECT_EQ(box->title, title);
    EXPECT_EQ(box->variant, variant);
    EXPECT_EQ(box->x, 100);
    EXPECT_EQ(box->y, 100);
    EXPECT_EQ(box->width, width);
    EXPECT_EQ(box->height, height);
    return *box;
  }

  void TearDown() override {
    EXPECT_EQ(User().Pending(), 0u);
    EXPECT_TRUE(Screen().TopLevels().empty());  // every box deleted its dialog
    EXPECT_TRUE(Screen().ModalStack().empty());
  }

  OGTHeadlessFactory factory_;
};

void ExpectItem(const OGTSeenItem& item, int32_t kind, int32_t x, int32_t y, int32_t width,
                int32_t height, const std::string& text) {
  EXPECT_EQ(item.kind, kind);
  EXPECT_EQ(item.x, x);
  EXPECT_EQ(item.y, y);
  EXPECT_EQ(item.width, width);
  EXPECT_EQ(item.height, height);
  EXPECT_EQ(item.text, text);
  EXPECT_TRUE(item.visible);
  EXPECT_TRUE(item.enabled);
}

TEST_F(MessageBoxTest, ShowMessageWithTheStandardCaption) {
  User().ThenPress(Sj("了解"));
  std::string text = Sj("保存しました。");
  ShowMessage(text.c_str());
  const OGTSeen& box = Box(Sj("確認..."), 2, 350, 129);
  ASSERT_EQ(box.items.size(), 2u);
  ExpectItem(box.items[0], kOGTKindLabel, 10, 10, 330, 45, text);
  ExpectItem(box.items[1], kOGTKindButton, 257, 92, 80, 22, Sj("了解"));
  EXPECT_TRUE(box.items[1].isDefault);
  EXPECT_EQ(Screen().Beeps(), 0);
}

TEST_F(MessageBoxTest, ShowMessageWithACaptionAndTheBeepFirst) {
  // Return presses the default button, Escape the cancel button: here both are the one button.
  User().ThenKey(kOGTKeyEscape);
  std::string caption = Sj("閉じる");
  ShowMessage("Done", caption.c_str(), true);
  const OGTSeen& box = Box(Sj("確認..."), 2, 350, 129);
  EXPECT_EQ(box.TextsOf(kOGTKindButton), std::vector<std::string>{caption});
  ASSERT_EQ(Screen().Seen().size(), 2u);
  EXPECT_EQ(Screen().Seen()[0].what, OGTSeen::kBeep);  // the beep sounds before the box shows
  EXPECT_EQ(Screen().Beeps(), 1);

  User().ThenKey(kOGTKeyReturn);
  ShowMessage("Again", "");  // an empty caption takes the standard one
  EXPECT_EQ(Screen().LastModal()->TextsOf(kOGTKindButton), std::vector<std::string>{Sj("了解")});
}

TEST_F(MessageBoxTest, AskYesNoBothWays) {
  std::string question = Sj("選択されている項目を削除してもよろしいですか？");
  User().ThenPress(Sj("はい"));
  EXPECT_TRUE(AskYesNo(question.c_str()));
  const OGTSeen& box = Box(Sj("質問..."), 2, 350, 129);
  ASSERT_EQ(box.items.size(), 3u);
  ExpectItem(box.items[0], kOGTKindLabel, 10, 10, 330, 45, question);
  ExpectItem(box.items[1], kOGTKindButton, 257, 92, 80, 22, Sj("はい"));
  ExpectItem(box.items[2], kOGTKindButton, 10, 92, 80, 22, Sj("いいえ"));
  EXPECT_TRUE(box.items[1].isDefault);
  EXPECT_FALSE(box.items[2].isDefault);

  User().ThenPress(Sj("いいえ"));
  EXPECT_FALSE(AskYesNo(question.c_str()));
  User().ThenKey(kOGTKeyReturn);  // the default: yes
  EXPECT_TRUE(AskYesNo(question.c_str()));
  User().ThenKey(kOGTKeyEscape);  // the cancel button: no
  EXPECT_FALSE(AskYesNo(question.c_str()));
  User().ThenKey(kOGTKeyTab, kOGTShift).ThenKey(kOGTKeyReturn);  // Return on the focused button
  EXPECT_FALSE(AskYesNo(question.c_str()));

  std::string keep = Sj("残す");
  User().ThenPress("Go");
  EXPECT_TRUE(AskYesNo("?", "Go", keep.c_str()));
  EXPECT_EQ(Screen().LastModal()->TextsOf(kOGTKindButton), (std::vector<std::string>{"Go", keep}));
  EXPECT_EQ(Screen().Beeps(), 0);
}

TEST_F(MessageBoxTest, ShowErrorPutsTheCodeFirstAndBeeps) {
  User().ThenPress(Sj("了解")).ThenPress(Sj("了解"));
  std::string message = Sj("データベースを開けませんでした。");
  ShowError(-13, message.c_str());
  EXPECT_EQ(Screen().LastModal()->TextsOf(kOGTKindLabel),
            std::vector<std::string>{Sj("エラー：-13\r") + message});
  ShowError(-1);
  EXPECT_EQ(Screen().LastModal()->TextsOf(kOGTKindLabel),
            std::vector<std::string>{Sj("エラー：-1")});
  EXPECT_EQ(Screen().Beeps(), 2);
  Box(Sj("確認..."), 2, 350, 129);
}

TEST_F(MessageBoxTest, AskTextWithTheExample) {
  std::string prompt = Sj("検索条件式を指定して下さい。");
  std::string initial = Sj("[名前]=\"鈴\"?;");
  std::string typed = Sj("[2] = \"鈴木\";");
  // The field has the focus first: go to its end, erase it, type, confirm.
  User().ThenKey(kOGTKeyEnd);
  for (size_t i = 0; i < initial.size(); ++i) User().ThenKey(kOGTKeyBackspace);
  User().ThenType(typed).ThenPress(Sj("実行"));
  VString result("unchanged");
  ASSERT_TRUE(AskText(prompt.c_str(), result, initial.c_str(), true));
  EXPECT_EQ(result.ToStdString(), typed);

  const OGTSeen& box = Box(Sj("検索"), 1, 430, 312);
  ASSERT_EQ(box.items.size(), 5u);
  ExpectItem(box.items[0], kOGTKindLabel, 10, 10, 410, 30, prompt);
  ExpectItem(box.items[1], kOGTKindField, 10, 40, 410, 70, initial);  // as it was first seen
  ExpectItem(box.items[2], kOGTKindLabel, 10, 115, 410, 150, OGTText(kOGTTextQueryExample));
  ExpectItem(box.items[3], kOGTKindButton, 337, 274, 80, 23, Sj("実行"));
  ExpectItem(box.items[4], kOGTKindButton, 10, 274, 80, 23, Sj("キャンセル"));
  EXPECT_TRUE(box.items[3].isDefault);
  // Every character survived the code page (a lost one would come back as "?").
  EXPECT_EQ(VSjisToUtf8(box.items[2].text),
            "検索条件式例：\r完全一致⇒[2] = \"鈴木\";\r前方一致⇒[名前]=\"鈴\"?;\r"
            "後方一致⇒[名前]=?\"木\";\r中間一致⇒[名前]=?\"鈴木\"?;\r"
            "列挙⇒[5] = \"東京都\", \"大阪府\";\r範囲⇒[売上] = 1000000 - 2000000;\r"
            "AND検索⇒[趣味] = \"サッカー\" and [性別] = \"男性\";\r"
            "OR検索⇒[職業] = \"会社員\" or [役職] = \"部長\";\r"
            "NOT検索⇒[all] not [名前] = \"鈴木\";");
}

TEST_F(MessageBoxTest, AskTextWithoutTheExampleAndCancelled) {
  User().ThenType("abc").ThenPress(Sj("キャンセル"));
  VString result("unchanged");
  EXPECT_FALSE(AskText("prompt", result, nullptr, false));
  EXPECT_EQ(result.ToStdString(), "unchanged");
  const OGTSeen& box = Box(Sj("検索"), 1, 430, 160);
  ASSERT_EQ(box.items.size(), 4u);
  ExpectItem(box.items[1], kOGTKindField, 10, 40, 410, 70, "");
  ExpectItem(box.items[2], kOGTKindButton, 337, 122, 80, 23, Sj("実行"));
  ExpectItem(box.items[3], kOGTKindButton, 10, 122, 80, 23, Sj("キャンセル"));

  // Return in the field confirms through the default button.
  User().ThenType("[1]=1;\r");
  ASSERT_TRUE(AskText("prompt", result, nullptr, false));
  EXPECT_EQ(result.ToStdString(), "[1]=1;");
}

TEST_F(MessageBoxTest, AskTextKeepsWhatItCanHandBack) {
  // 300 bytes typed: the field takes 256, all of which come back.
  std::string longText(300, 'x');
  std::string inField;
  User()
      .ThenType(longText)
      .ThenDo("look at the field", [&](OGTDialog& dialog) { inField = dialog.ChildAt(1)->Text(); })
      .ThenPress(Sj("実行"));
  VString result;
  ASSERT_TRUE(AskText("prompt", result, nullptr, false));
  EXPECT_EQ(inField.size(), 256u);  // the user cannot type what would be lost
  EXPECT_EQ(result.Length(), 256u);

  // An initial text longer than that comes back cut at a character boundary.
  std::string kanji;
  for (int i = 0; i < 150; ++i) kanji += Sj("漢");
  std::string initial = "x" + kanji;  // 301 bytes; byte 256 is the first half of a character
  User().ThenPress(Sj("実行"));
  ASSERT_TRUE(AskText("prompt", result, initial.c_str(), false));
  EXPECT_EQ(result.ToStdString(), initial.substr(0, 255));
}

TEST_F(MessageBoxTest, AWaitWithoutAScriptedStepFailsLoudly) {
  std::string message;
  try {
    ShowMessage("nobody answers");
  } catch (const OGTHeadlessError& error) {
    message = error.what();
  }
  EXPECT_NE(message.find("no step left"), std::string::npos) << message;
  EXPECT_NE(message.find("確認..."), std::string::npos) << message;  // names the dialog

  User().ThenPress("Nope");
  try {
    AskYesNo("which?");
    ADD_FAILURE() << "pressing a missing button must fail";
  } catch (const OGTHeadlessError& error) {
    message = error.what();
  }
  EXPECT_NE(message.find("\"はい\", \"いいえ\""), std::string::npos) << message;
}

TEST_F(MessageBoxTest, QuittingEndsTheWaitWithTheNegativeAnswer) {
  User().ThenQuit();
  EXPECT_FALSE(AskYesNo("quit?"));
  EXPECT_TRUE(Screen().Quitting());
  VString result("kept");
  EXPECT_FALSE(AskText("prompt", result, "x", true));  // no step taken: the quit stands
  EXPECT_EQ(result.ToStdString(), "kept");
  ShowMessage("returns at once");
  Screen().SetQuitting(false);
}

TEST(MessageBoxWithoutFactory, BoxesReturnAtOnce) {
  ASSERT_EQ(OGTImpFactory::Current(), nullptr);
  ShowMessage("nobody sees this", nullptr, true);
  EXPECT_FALSE(AskYesNo("?"));
  ShowError(-1, "x");
  VString result("kept");
  EXPECT_FALSE(AskText("prompt", result, "initial", true));
  EXPECT_EQ(result.ToStdString(), "kept");
}

TEST_F(MessageBoxTest, OtherWindowsAreOutOfReachDuringTheWait) {
  auto* window = new OGTWindow;
  window->Create(0, nullptr);
  window->Show();
  bool closed = true;
  User()
      .ThenDo("close the form", [&](OGTDialog&) { closed = factory_.User().Close(window); })
      .ThenPress(Sj("はい"));
  EXPECT_TRUE(AskYesNo("?"));
  EXPECT_FALSE(closed);
  EXPECT_TRUE(User().Close(window));  // within reach again once the box is gone
}

}  // namespace
