#include "reading/cells/ReportContentTableCellImageAndVideo.h"

#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "reading/support/ReadingLook.h"
#include "reading/cells/ReportContentSlotButton.h"
#include "reading/cells/ReportContentTableCellImageAndVideoProtocol.h"

namespace zu {

namespace {

constexpr float kSlotWidth = 160;

}  // namespace

ReportContentTableCellImageAndVideo::ReportContentTableCellImageAndVideo(std::string reuseIdentifier)
    : TableViewCell(ui::TableViewCellStyle::Default, std::move(reuseIdentifier)) {}

void ReportContentTableCellImageAndVideo::buildSlots(
    ui::NibLoading& file, const std::shared_ptr<ReportContentTableCellImageAndVideo>& cell) {
  cell->setFrame(ui::Rect(0, 0, 320, 140));
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  const auto& content = cell->contentView();
  std::weak_ptr<ReportContentTableCellImageAndVideo> weak = cell;
  for (int slot = 0; slot < 2; ++slot) {
    const float x = slot * kSlotWidth;
    const int tag = slot == 0 ? kFirstTag : kSecondTag;
    auto board = file.make<ui::ImageView>(ui::Rect(x + 5, 5, 150, 130));
    // The half's button covers the half (a tap on the title opens the item too); its pictures
    // keep to the picture's place.
    auto button = file.make<ReportContentSlotButton>(ui::Rect(x, 0, kSlotWidth, 140), ui::Rect(10, 10, 140, 100));
    button->setAutoresizingMask(ui::kAutoresizingFlexibleHeight);
    button->setTag(tag);
    auto mask = file.make<ui::ImageView>(ui::Rect(x + 10, 10, 140, 100));
    mask->setTag(tag + kMaskTagOffset);
    mask->setBackgroundColor(ui::Color::blackColor());
    mask->setAlpha(0);
    auto title = file.make<ui::Label>(ui::Rect(x + 10, 113, 140, 18));
    title->setFont(ui::Font::systemFont(13));
    title->setBackgroundColor(ui::Color::clearColor());
    title->setTextAlignment(ui::TextAlignment::Center);
    content->addSubview(board);
    content->addSubview(button);
    content->addSubview(mask);
    content->addSubview(title);
    if (slot == 1) {
      // The second slot's decoration: a shadow under its board, a line above its title and a
      // corner mark; hidden with the slot when a row has one item.
      const ui::Rect decorations[3] = {ui::Rect(x + 7, 135, 146, 2), ui::Rect(x + 10, 111, 140, 1),
                                       ui::Rect(x + 138, 12, 10, 10)};
      for (int i = 0; i < 3; ++i) {
        auto decoration = file.make<ui::ImageView>(decorations[i]);
        decoration->setTag(kSecondSlotDecorationTags[i]);
        decoration->setBackgroundColor(ReadingLook::grey(i == 2 ? 200 : 170));
        decoration->setAlpha(i == 0 ? 0.4f : 1.0f);
        content->addSubview(decoration);
      }
    }
    button->addTarget(cell.get(), ui::kControlEventTouchDown, [weak](ui::Control& sender) {
      if (auto c = weak.lock()) c->ButtonDown(sender);
    });
    // A touch that ends outside, or that the list takes over to scroll (a drag begun on the
    // half), leaves no mask behind.
    for (auto event : {ui::kControlEventTouchUpOutside, ui::kControlEventTouchCancel}) {
      button->addTarget(cell.get(), event, [weak](ui::Control& sender) {
        if (auto c = weak.lock()) c->ButtonOutside(sender);
      });
    }
    button->addTarget(cell.get(), ui::kControlEventTouchUpInside, [weak, slot](ui::Control& sender) {
      auto c = weak.lock();
      if (!c) return;
      if (slot == 0) {
        c->FirstButtonPress(sender);
      } else {
        c->SecondButtonPress(sender);
      }
    });
    file.connect([cell, slot, board, button, mask, title] {
      cell->board_[slot] = board;
      cell->button_[slot] = button;
      cell->mask_[slot] = mask;
      cell->title_[slot] = title;
    });
  }
}

void ReportContentTableCellImageAndVideo::ButtonDown(ui::View& button) {
  if (auto mask = contentView()->viewWithTag(button.tag() + kMaskTagOffset)) {
    mask->setAlpha(kMaskPressedAlpha);
  }
}

void ReportContentTableCellImageAndVideo::ButtonOutside(ui::View& button) {
  if (auto mask = contentView()->viewWithTag(button.tag() + kMaskTagOffset)) mask->setAlpha(0);
}

void ReportContentTableCellImageAndVideo::FirstButtonPress(ui::View& button) { report(button); }

void ReportContentTableCellImageAndVideo::SecondButtonPress(ui::View& button) { report(button); }

void ReportContentTableCellImageAndVideo::report(ui::View& button) {
  if (auto delegate = delegate_.lock()) delegate->ImageAndVideoButtonPressed(*this, button.tag());
}

void ReportContentTableCellImageAndVideo::clearSlots() {
  for (int slot = 0; slot < 2; ++slot) {
    if (mask_[slot]) mask_[slot]->setAlpha(0);
    if (title_[slot]) title_[slot]->setText("");
  }
}

}  // namespace zu
