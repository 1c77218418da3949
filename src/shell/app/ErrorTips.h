// ErrorTips: turns an engine error code into the alert a reader sees — a title, a message and
// the text of the one button — from a fixed table of 96 rows, all in the context "default"; a
// lookup in any other context (or none) falls back to "default". Screens call showErrorInfo with
// a task's negative finish code and the service's description ("ErrDesc").
//
// A row's own message wins over the service's text; a code without a row shows the service's
// text, or "错误号：%d" with the code when the service sent none — "null" (what the observer
// delivers for a missing description) and an empty text count as none. Cancelled tasks (-6)
// and authorisation codes (shown by the observer's own alert) show nothing.
//
// The lookups may be called from any thread (the table is built once, on first use, and only
// read afterwards); showErrorInfo makes an alert and belongs to the main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "shell/app/ErrorTip.h"

namespace zu::ui {
class AlertViewDelegate;
}

namespace zu {

class ErrorTips {
 public:
  using Text = std::optional<std::string>;

  // The row of `code` in `context`, else in "default"; null when neither exists.
  static const ErrorTip* find(int code, const Text& context);
  // The title; nullopt for a code without a row.
  static Text getDescForError(int code, const Text& context);
  static std::string getTipForError(int code, const Text& serverTip, const Text& context);
  // "好" for a code without a row.
  static std::string getOKForError(int code, const Text& context);

  // Shows the alert (unless the code is -6 or an authorisation code); the delegate is not
  // retained; a tag, when given, is set before the alert is shown.
  static void showErrorInfo(int code, const Text& serverTip, const Text& context,
                            std::weak_ptr<ui::AlertViewDelegate> delegate = {},
                            std::optional<int> alertViewTag = std::nullopt);

  // The number of rows in the table.
  static size_t rowCount();
};

}  // namespace zu
