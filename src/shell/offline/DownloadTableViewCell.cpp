#include "shell/offline/DownloadTableViewCell.h"

#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"

namespace zu {

namespace {

// A row of the pop-up's 266-point table, 42 points high: the title takes the left, the state
// text is right-aligned before the 16-point done mark.
constexpr float kWidth = 266;
constexpr float kHeight = 42;

}  // namespace

void DownloadTableViewCell::registerNib() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& file) {
    auto cell = file.makeTopLevel<DownloadTableViewCell>();
    cell->setFrame(ui::Rect(0, 0, kWidth, kHeight));
    cell->setBackgroundColor(ui::Color::clearColor());
    cell->contentView()->setBackgroundColor(ui::Color::clearColor());
    auto title = file.make<ui::Label>(ui::Rect(10, 0, 124, kHeight));
    title->setFont(ui::Font::boldSystemFont(15));
    title->setBackgroundColor(ui::Color::clearColor());
    title->setLineBreakMode(ui::LineBreakMode::TailTruncation);
    auto detail = file.make<ui::Label>(ui::Rect(134, 0, 100, kHeight));
    detail->setFont(ui::Font::systemFont(12));
    detail->setBackgroundColor(ui::Color::clearColor());
    detail->setTextAlignment(ui::TextAlignment::Right);
    auto mark = file.make<ui::ImageView>(ui::Image::named(kDoneMarkImage));
    mark->setFrame(ui::Rect(240, (kHeight - 16) / 2, 16, 16));
    mark->setHidden(true);
    cell->contentView()->addSubview(title);
    cell->contentView()->addSubview(detail);
    cell->contentView()->addSubview(mark);
    file.connect([cell, title, detail, mark] {
      cell->setTitleLabel(title);
      cell->setDetailLabel(detail);
      cell->setIconImageView(mark);
    });
  });
}

std::shared_ptr<DownloadTableViewCell> DownloadTableViewCell::loadFromNib() {
  auto objects = ui::NibRegistry::shared().load(kNibName);
  return objects.empty() ? nullptr : std::dynamic_pointer_cast<DownloadTableViewCell>(objects.back());
}

DownloadTableViewCell::DownloadTableViewCell()
    : ui::TableViewCell(ui::TableViewCellStyle::Default, std::string(kNibName)) {}

}  // namespace zu
