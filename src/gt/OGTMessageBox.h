// The player-wide message boxes. Each builds a modal dialog of labels, a field and buttons, waits
// until one of its buttons is pressed and deletes the dialog before it returns. Texts are
// Shift-JIS; a null or empty caption takes the standard one. Without a platform side, or when the
// application quits during the wait, a box returns at once with the negative answer.
#pragma once

#include <cstdint>

class VString;

// Title "確認...", one button (caption or "了解") that is both the default and the cancel button.
// With beep, the alert sound comes first.
void ShowMessage(const char* text, const char* buttonCaption = nullptr, bool beep = false);
// Title "質問...": true when the yes button (default, "はい") is pressed, false for the no button
// (cancel, "いいえ").
bool AskYesNo(const char* text, const char* yesCaption = nullptr, const char* noCaption = nullptr);
// "エラー：" and the code in decimal, then a carriage return and the message when there is one;
// with the beep.
void ShowError(int32_t code, const char* message = nullptr);
// Title "検索": a prompt, a field holding initialText, optionally the example of condition
// statements, and the buttons "実行" (default) and "キャンセル". On "実行" the field's text, at
// most kAskTextLimit bytes, goes to result and the answer is true; result is left alone otherwise.
bool AskText(const char* prompt, VString& result, const char* initialText, bool withExample);

constexpr int32_t kAskTextLimit = 256;
