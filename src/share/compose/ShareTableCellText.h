// ShareTableCellText: the text cell of the share screen — the editable text (a ShareTextView,
// tag 4) on its input board, the picture part (preview tag 5, frame tag 6, clip tag 7, the
// picture button tag 8), the comment toggle (tag 2) with its label (tag 1), and the counter: the
// word (tag 10, "还可以输入" or "已超出"), the number (tag 11) and "字" (tag 12).
//
// Made from the interface file "ShareTableCellText" (cellFromNib; registerNib adds it), reuse
// identifier "ShareTableCellText"; waking from it, it takes the skin's input board and text and
// counter colours. As the text view's delegate it recounts on every change, then hands the whole
// text to its delegate. A touch that begins in the cell outside the text view while the text
// view is editing makes it resign. Counting is in UTF-16 units: n = maxInputNumber − length;
// n ≥ 0 shows n ("colorKdnrShareCount10More" below 11, else "colorKdnrShareCountNormal"),
// n < 0 shows −n after "已超出" in "colorKdnrShareCountOut".
//
// Main thread only; owned by its table. The delegate is not retained.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/views/TableViewCell.h"
#include "platform/ui/text/TextView.h"

namespace zu::ui {
class Button;
class ImageView;
class Label;
class NibLoading;
}  // namespace zu::ui

namespace zu {

class PostTextDelegate;
class ShareTextView;

class ShareTableCellText : public ui::TableViewCell, public ui::TextViewDelegate {
 public:
  static constexpr const char* kNibName = "ShareTableCellText";
  static constexpr const char* kReuseIdentifier = "ShareTableCellText";
  static constexpr const char* kLeftWords = "还可以输入";
  static constexpr const char* kOverWords = "已超出";
  enum Tag : int {
    kTagToggleLabel = 1,
    kTagToggle = 2,
    kTagText = 4,
    kTagPreview = 5,
    kTagPictureFrame = 6,
    kTagClip = 7,
    kTagPictureButton = 8,
    kTagTitle = 9,
    kTagCountWords = 10,
    kTagCountNumber = 11,
    kTagCountUnit = 12,
  };

  static void registerNib();
  // A new cell from the interface file (null when it is not registered).
  static std::shared_ptr<ShareTableCellText> cellFromNib();

  ShareTableCellText();

  int32_t maxInputNumber() const { return maxInputNumber_; }
  void setMaxInputNumber(int32_t number) { maxInputNumber_ = number; }
  void setDelegate(std::weak_ptr<PostTextDelegate> delegate) { delegate_ = std::move(delegate); }

  const std::shared_ptr<ShareTextView>& shareText() const { return shareText_; }
  const std::shared_ptr<ui::Label>& shareTitle() const { return shareTitle_; }
  const std::shared_ptr<ui::ImageView>& inputBackground() const { return inputBackground_; }
  const std::shared_ptr<ui::Label>& count1() const { return count1_; }
  const std::shared_ptr<ui::Label>& count2() const { return count2_; }

  // Shows the characters left (or over) for the current text.
  void updateCounter();
  void awakeFromNib() override;
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;

  // TextViewDelegate.
  void textViewDidChange(ui::TextView& textView) override;

  std::string className() const override { return "ShareTableCellText"; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::Label> shareTitle_;
  std::shared_ptr<ShareTextView> shareText_;
  std::shared_ptr<ui::ImageView> inputBackground_;
  std::shared_ptr<ui::Label> count1_;  // the number
  std::shared_ptr<ui::Label> count2_;  // the words
  int32_t maxInputNumber_ = 0;
  std::weak_ptr<PostTextDelegate> delegate_;
};

}  // namespace zu
