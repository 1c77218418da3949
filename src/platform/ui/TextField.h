// TextField: a one-line text entry — text or placeholder, font, border style, secure entry,
// clear button — that edits while it is first responder, asking its delegate at each step.
// A Control (editing events are control events). Made with std::make_shared; main thread only;
// its delegate is not retained.
//
// Kept from the phone:
//  - becomeFirstResponder asks shouldBeginEditing (refusal: false, nothing changes), takes the
//    keyboard from the view that had it (which may refuse), clears the text when
//    clearsOnBeginEditing, then didBeginEditing and the EditingDidBegin event. A tap on the
//    field does the same. resignFirstResponder asks shouldEndEditing, then gives the keyboard
//    back, didEndEditing and EditingDidEnd.
//  - Each typed character and each delete asks shouldChangeCharactersInRange (UTF-16 range of
//    the text, the replacement; a delete replaces the last character, a surrogate pair as one,
//    by ""); a refusal leaves the text alone. An accepted change sends EditingChanged and posts
//    "UITextFieldTextDidChangeNotification" with the field. Setting the text by code does
//    neither.
//  - Return asks shouldReturn; a yes sends EditingDidEndOnExit. Nothing is inserted.
//  - The clear button (clearButtonTapped) asks shouldClear, then empties the text as a change.
//    Whether it shows follows clearButtonMode and whether the field edits and has text.
//  - Secure entry shows one bullet per character.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Control.h"
#include "platform/ui/Font.h"
#include "platform/ui/TextInput.h"
#include "platform/ui/TextMetrics.h"

namespace zu::ui {

class TextField;

enum class TextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };
enum class TextFieldViewMode { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };
enum class ControlContentVerticalAlignment { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

class TextFieldDelegate {
 public:
  virtual ~TextFieldDelegate() = default;
  virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
  virtual void textFieldDidBeginEditing(TextField&) {}
  virtual bool textFieldShouldEndEditing(TextField&) { return true; }
  virtual void textFieldDidEndEditing(TextField&) {}
  virtual bool textFieldShouldChangeCharacters(TextField&, TextRange, const std::string& /*replacement*/) {
    return true;
  }
  virtual bool textFieldShouldClear(TextField&) { return true; }
  virtual bool textFieldShouldReturn(TextField&) { return true; }
};

class TextField : public Control, public TextInput {
 public:
  inline static const char* const kTextDidChangeNotification = "UITextFieldTextDidChangeNotification";

  explicit TextField(const Rect& frame = Rect());
  ~TextField() override;

  void setDelegate(std::weak_ptr<TextFieldDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<TextFieldDelegate> delegate() const { return delegate_.lock(); }

  const std::string& text() const { return text_; }
  void setText(std::string text);
  const std::optional<std::string>& placeholder() const { return placeholder_; }
  void setPlaceholder(std::optional<std::string> placeholder);
  const Font& font() const { return font_; }
  void setFont(const Font& font);
  const Color& textColor() const { return textColor_; }
  void setTextColor(const Color& color);
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment);
  TextBorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(TextBorderStyle style);
  bool isSecureTextEntry() const { return secure_; }
  void setSecureTextEntry(bool secure);
  TextFieldViewMode clearButtonMode() const { return clearMode_; }
  void setClearButtonMode(TextFieldViewMode mode);
  bool clearsOnBeginEditing() const { return clearsOnBegin_; }
  void setClearsOnBeginEditing(bool clears) { clearsOnBegin_ = clears; }
  ControlContentVerticalAlignment contentVerticalAlignment() const { return verticalAlignment_; }
  void setContentVerticalAlignment(ControlContentVerticalAlignment a);
  KeyboardType keyboardType() const { return keyboardType_; }
  void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
  ReturnKeyType returnKeyType() const { return returnKeyType_; }
  void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
  bool autocorrects() const { return autocorrects_; }
  void setAutocorrects(bool on) { autocorrects_ = on; }
  bool autocapitalizes() const { return autocapitalizes_; }
  void setAutocapitalizes(bool on) { autocapitalizes_ = on; }

  bool isEditing() const { return editing_; }
  bool isFirstResponder() const;
  bool becomeFirstResponder();
  bool resignFirstResponder() override;
  // The clear button is shown now.
  bool showsClearButton() const;
  // A tap on the clear button; false when it is not shown or the delegate refused.
  bool clearButtonTapped();

  // --- TextInput
  void insertText(const std::string& text) override;
  void deleteBackward() override;
  void insertReturn() override;
  bool hasText() const override { return !text_.empty(); }

  // The text as drawn (bullets for secure entry).
  std::string displayText() const;

  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 private:
  // Replaces `range` by `replacement` after asking the delegate; true when it changed.
  bool change(TextRange range, const std::string& replacement);

  std::weak_ptr<TextFieldDelegate> delegate_;
  std::string text_;
  std::optional<std::string> placeholder_;
  Font font_ = Font::systemFont(12);
  Color textColor_ = Color::blackColor();
  TextAlignment alignment_ = TextAlignment::Left;
  TextBorderStyle borderStyle_ = TextBorderStyle::None;
  bool secure_ = false;
  TextFieldViewMode clearMode_ = TextFieldViewMode::Never;
  bool clearsOnBegin_ = false;
  ControlContentVerticalAlignment verticalAlignment_ = ControlContentVerticalAlignment::Top;
  KeyboardType keyboardType_ = KeyboardType::Default;
  ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
  bool autocorrects_ = true;
  bool autocapitalizes_ = true;
  bool editing_ = false;
};

}  // namespace zu::ui
