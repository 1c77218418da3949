#include "reading/cells/ReportContentTableCellForVideo.h"

#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "reading/support/ReadingLook.h"

namespace zu {

void ReportContentTableCellForVideo::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<ReportContentTableCellForVideo>();
  buildSlots(file, cell);
  // The video list's dark row: dark boards and light titles.
  cell->setBackgroundColor(ReadingLook::grey(34));
  file.connect([cell] {
    for (const auto& board : {cell->contentCellImageFirst(), cell->contentCellImageSecond()}) {
      board->setBackgroundColor(ReadingLook::grey(51));
    }
    for (const auto& title : {cell->titleCellImageFirst(), cell->titleCellImageSecond()}) {
      title->setTextColor(ReadingLook::grey(204));
    }
  });
}

void ReportContentTableCellForVideo::registerNib() {
  ui::NibRegistry::shared().add(kNibName, build);
}

ReportContentTableCellForVideo::ReportContentTableCellForVideo()
    : ReportContentTableCellImageAndVideo(kNibName) {}

void ReportContentTableCellForVideo::prepareForReuse() {
  ReportContentTableCellImageAndVideo::prepareForReuse();
  clearSlots();
  for (const auto& button : {contentCellButtonFirst(), contentCellButtonSecond()}) {
    if (button) button->setImage(nullptr, ui::kControlStateNormal);
  }
}

}  // namespace zu
