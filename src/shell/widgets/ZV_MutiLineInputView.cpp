#include "shell/widgets/ZV_MutiLineInputView.h"

#include "platform/ui/controllers/NibRegistry.h"
#include "shell/widgets/ZV_TextViewBackGround.h"

namespace zu {

void ZV_MutiLineInputView::registerInterfaceFile() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& nib) {
    auto top = nib.makeTopLevel<ui::View>(ui::Rect(0, 0, 320, 416));
    top->setTag(kTopViewTag);
    top->setBackgroundColor(ui::Color::white(0.93f));
    auto bar = nib.makeTopLevel<ZV_MutiLineInputView>(ui::Rect(0, 416, 320, 44));
    bar->setBackgroundColor(ui::Color::rgba8(200, 205, 212));
    auto background = nib.make<ZV_TextViewBackGround>(ui::Rect(6, 4, 240, 36),
                                                      ZV_TextViewBackGround::FromInterfaceFile{});
    background->setBackgroundColor(ui::Color::whiteColor());
    background->setAutoresizingMask(ui::kAutoresizingFlexibleHeight);
    auto text = nib.make<LwGrowingTextView>(ui::Rect(6, 4, 240, 36), LwGrowingTextView::FromInterfaceFile{});
    auto send = ui::Button::create(ui::ButtonType::RoundedRect);
    send->setFrame(ui::Rect(252, 7, 62, 30));
    send->setTitle(std::string("发送"), ui::kControlStateNormal);
    send->setAutoresizingMask(ui::kAutoresizingFlexibleTopMargin);
    bar->addSubview(background);
    bar->addSubview(text);
    bar->addSubview(send);
    nib.connect([bar, top, text, send, background] {
      bar->setTopView(top);
      bar->setTextView(text);
      bar->setButtonSend(send);
      bar->setBackGroundView(background);
      text->setDelegate(bar);
    });
  });
}

std::string ZV_MutiLineInputView::getText() const { return textView_ ? textView_->text() : std::string(); }

void ZV_MutiLineInputView::setText(const std::string& text) {
  if (textView_) textView_->setText(text);
}

void ZV_MutiLineInputView::setReturnKeyType(ui::ReturnKeyType type) {
  if (textView_) textView_->setReturnKeyType(type);
  returnKeyType_ = type;
}

void ZV_MutiLineInputView::setCPlaceHolder(const std::string& text) {
  if (textView_ && textView_->placeHolderInTextView()) textView_->placeHolderInTextView()->setText(text);
}

void ZV_MutiLineInputView::hideKeypard() {
  if (textView_) textView_->resignFirstResponder();
}

void ZV_MutiLineInputView::growingTextViewWillChangeHeight(LwGrowingTextView& view, float height) {
  const float d = view.frame().size.height - height;
  ui::Rect f = frame();
  f.origin.y += d;
  f.size.height -= d;
  setFrame(f);
  if (topView_) {
    ui::Rect t = topView_->frame();
    t.size.height += d;
    topView_->setFrame(t);
  }
  if (backGroundView_) backGroundView_->setNeedsDisplay();
}

bool ZV_MutiLineInputView::growingTextViewShouldReturn(LwGrowingTextView&) {
  auto d = delegate_.lock();
  return d && d->mutiLineInputViewShouldReturn(*this);
}

void ZV_MutiLineInputView::growingTextViewDidEndEditing(LwGrowingTextView&) {
  if (auto d = delegate_.lock()) d->mutiLineInputViewDidEndEditing(*this);
}

}  // namespace zu
