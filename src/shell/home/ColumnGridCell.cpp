#include "shell/home/ColumnGridCell.h"

#include "model/columns/Column.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/widgets/ViewUtil.h"

namespace zu {

namespace {

// The tile: a 140 × 108 face with the picture, its border, the title across the lower part,
// the detail button at the lower right and the spinner in the middle; the delete button sits
// at the top left outside the face, so it does not scale with it. The face leaves a margin of
// 5 points inside the home grid's cell (153 × 118), so neighbouring tiles never touch.
constexpr float kWidth = 150;
constexpr float kHeight = 118;
constexpr float kFaceX = 5;
constexpr float kFaceY = 5;
constexpr float kFaceWidth = 140;
constexpr float kFaceHeight = 108;

}  // namespace

void ColumnGridCell::buildCell(ui::NibLoading& file, bool addCell) {
  auto cell = file.makeTopLevel<ColumnGridCell>(ui::Rect(0, 0, kWidth, kHeight));
  cell->setIdentifiy(addCell ? ColumnGridCell::kAddNibName : ColumnGridCell::kNibName);
  auto face = file.make<ui::View>(ui::Rect(kFaceX, kFaceY, kFaceWidth, kFaceHeight));
  auto picture = file.make<ui::ImageView>(ui::Rect(0, 0, kFaceWidth, kFaceHeight));
  picture->setContentMode(ui::ContentMode::ScaleAspectFill);
  picture->setClipsToBounds(true);
  auto border = file.make<ui::ImageView>(ui::Rect(0, 0, kFaceWidth, kFaceHeight));
  auto title = file.make<ui::Label>(ui::Rect(8, kFaceHeight - 44, kFaceWidth - 34, 40));
  title->setBackgroundColor(ui::Color::clearColor());
  title->setFont(ui::Font::boldSystemFont(15));
  title->setNumberOfLines(2);
  // Two lines at most; a longer title ends its second line with "…".
  title->setLineBreakMode(ui::LineBreakMode::TailTruncation);
  // White, over the darkened cover and the text-only card alike.
  auto spinner = file.make<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::White);
  spinner->setCenter(ui::Point{kFaceWidth / 2, kFaceHeight / 2});
  face->addSubview(picture);
  face->addSubview(border);
  face->addSubview(title);
  face->addSubview(spinner);
  cell->addSubview(face);
  auto del = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(0, 0, 30, 30));
  del->setBackgroundColor(ui::Color::rgba8(200, 40, 40));
  del->setTitle(std::string("×"), ui::kControlStateNormal);
  del->layer().cornerRadius = 15;
  std::shared_ptr<ui::Button> detail;
  std::shared_ptr<ui::Button> add;
  if (addCell) {
    add = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(0, 0, kFaceWidth, kFaceHeight));
    face->addSubview(add);
  } else {
    detail = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(kFaceWidth - 26, kFaceHeight - 26, 22, 22));
    detail->setTitle(std::string("i"), ui::kControlStateNormal);
    // A dark round backing under the white "i", so it reads on any cover, light or dark.
    detail->setBackgroundColor(ui::Color(0, 0, 0, 0.6f));
    detail->layer().cornerRadius = 11;
    face->addSubview(detail);
  }
  cell->addSubview(del);
  file.connect([cell, face, picture, border, title, spinner, del, detail, add] {
    cell->frontView_ = face;
    cell->contentImageView_ = picture;
    cell->borderImageView_ = border;
    cell->titleLabel_ = title;
    cell->loadingIndicator_ = spinner;
    cell->delButton_ = del;
    cell->detailButton_ = detail;
    cell->addButton_ = add;
  });
}

void ColumnGridCell::registerNibs() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& file) { buildCell(file, false); });
  ui::NibRegistry::shared().add(kAddNibName, [](ui::NibLoading& file) { buildCell(file, true); });
}

std::shared_ptr<ColumnGridCell> ColumnGridCell::loadFromNib(const std::string& name) {
  auto objects = ui::NibRegistry::shared().load(name, nullptr);
  return objects.empty() ? nullptr : std::dynamic_pointer_cast<ColumnGridCell>(objects.front());
}

ColumnGridCell::ColumnGridCell(const ui::Rect& frame) : GridViewCell(frame) {
  NotificationCenter::defaultCenter().add(kDisplayModeNotification, this, [this](const Notification& note) {
    displayModeChanged(note.object.boolValue());
  });
}

ColumnGridCell::~ColumnGridCell() { NotificationCenter::defaultCenter().remove(this); }

void ColumnGridCell::awakeFromNib() {
  GridViewCell::awakeFromNib();
  layer().shadowColor = MyFaceSettings::getColorForColumnsShadow();
  layer().shadowRadius = 2.0f;
  layer().shadowOffset = ui::Size{1, 1};
  layer().shadowOpacity = 0;
  if (titleLabel_) {
    builtTitleHeight_ = titleLabel_->frame().size.height;
    builtTitleWidth_ = titleLabel_->frame().size.width;
  }
  if (delButton_) {
    delButton_->setHidden(true);
    delButton_->addTarget(this, ui::kControlEventTouchUpInside, [this](ui::Control&) { deleteCell(); });
  }
  if (detailButton_) {
    detailButton_->addTarget(this, ui::kControlEventTouchUpInside,
                             [this](ui::Control&) { colunmDetailButtonPressed(); });
  }
  if (addButton_) {
    addButton_->addTarget(this, ui::kControlEventTouchUpInside, [this](ui::Control&) { addColumnButtonPressed(); });
  }
}

bool ColumnGridCell::isColumnCanDisabled() const {
  if (!column_ || !column_->veskEntryStatus()) return false;
  const int32_t type = column_->veskEntryStatus()->type();
  return type == 1 || type == 3 || type == 4;
}

void ColumnGridCell::updateColumn(const std::shared_ptr<Column>& column, bool textOnlyMode) {
  column_ = column;
  if (!column_) {
    showCover(std::nullopt);
    if (borderImageView_) borderImageView_->setImage(nullptr);
    if (titleLabel_) titleLabel_->setText("");
    if (addButton_) {
      MyFaceSettings::setImageForAddColumnsButton(*addButton_);
      return;
    }
    showState();
    return;
  }
  isDisabled_ = textOnlyMode && isColumnCanDisabled();
  showCover(column_->coverImageData());
  if (titleLabel_) {
    titleLabel_->setText(column_->title().value_or(""));
    titleLabel_->setTextColor(MyFaceSettings::getFontColorForColumnsGridViewTitleLabel());
    if (!(SystemEnvironment::systemVersion() >= 5.0f)) titleLabel_->setFont(ui::Font::named("HelveticaNeue-Bold", 16));
    ui::Rect frame = titleLabel_->frame();
    frame.size.width = titleWidth();
    titleLabel_->setFrame(frame);
    const float needed = ViewUtil::heightOfText(*titleLabel_, titleLabel_->text(), builtTitleHeight_);
    ViewUtil::extentView(*titleLabel_, needed - frame.size.height);
  }
  showBorder();
  showState();
}

// The title keeps clear of the detail button beside its lines; with no detail button (a column
// with a customization record has none) it takes the face's width within the same margins, so a
// long word such as a microblog user's name is not broken for room the button does not use.
float ColumnGridCell::titleWidth() const {
  const bool detailShown = detailButton_ && column_ && !column_->veskCustomization();
  if (detailShown || !frontView_) return builtTitleWidth_;
  return frontView_->bounds().width() - 2 * titleLabel_->frame().minX();
}

void ColumnGridCell::showCover(const std::optional<std::vector<uint8_t>>& data) {
  if (!contentImageView_) return;
  if (data && data == coverData_ && (coverLoader_.isLoading() || contentImageView_->image())) return;
  coverData_ = data;
  contentImageView_->setImage(nullptr);
  if (!data) {
    coverLoader_.cancel();
    return;
  }
  coverLoader_.loadData(*data, [this](std::shared_ptr<ui::Image> image) {
    if (contentImageView_) contentImageView_->setImage(std::move(image));
  });
}

void ColumnGridCell::showBorder() {
  if (!borderImageView_) return;
  if (isDisabled_) {
    MyFaceSettings::setImageForColumnsTextModeImageView(*borderImageView_);
  } else {
    MyFaceSettings::setImageForColumnsMaskImageView(*borderImageView_);
  }
}

void ColumnGridCell::showState() {
  if (detailButton_) detailButton_->setHidden(column_ && column_->veskCustomization() != nullptr);
  if (frontView_) frontView_->setHidden(false);
  if (!loadingIndicator_) return;
  if (column_ && column_->needUpdate()) {
    loadingIndicator_->startAnimating();
  } else {
    loadingIndicator_->stopAnimating();
  }
}

void ColumnGridCell::updateCellState(bool editing) {
  if (delButton_) {
    delButton_->setEnabled(true);
    delButton_->setHidden(!editing);
  }
  if (editing != inEditMode_ && !isLongPressed_ && frontView_) {
    const float scale = editing ? kEditScale : 1.0f;
    frontView_->setTransform(ui::Transform::makeScale(scale, scale));
  }
  inEditMode_ = editing;
}

void ColumnGridCell::longPressedBegin() {
  isLongPressed_ = true;
  layer().shadowOpacity = 1.0f;
  auto face = frontView_;
  auto del = delButton_;
  ui::Animations::animate(kLiftSeconds, [face, del] {
    if (face) face->setTransform(ui::Transform::makeScale(kLiftScale, kLiftScale));
    if (del) del->setTransform(ui::Transform::makeTranslation(-15, -10));
  });
}

void ColumnGridCell::longPressedEnd() {
  isLongPressed_ = false;
  layer().shadowOpacity = 0;
  auto face = frontView_;
  auto del = delButton_;
  ui::Animations::animate(kLiftSeconds, [face, del] {
    if (face) face->setTransform(ui::Transform::makeScale(kEditScale, kEditScale));
    if (del) del->setTransform(ui::Transform::identity());
  });
}

void ColumnGridCell::clickedBegin() {
  if (!isDisabled_ && loadingIndicator_) loadingIndicator_->startAnimating();
}

void ColumnGridCell::clickedEnd() {
  if (loadingIndicator_) loadingIndicator_->stopAnimating();
}

void ColumnGridCell::willUpdate() {
  if (loadingIndicator_) loadingIndicator_->startAnimating();
}

void ColumnGridCell::endUpdate() {
  if (loadingIndicator_) loadingIndicator_->stopAnimating();
}

// A tile shows nothing of a book download's progress.
void ColumnGridCell::updateBookDownload(float progress) { bookDownloadProgress_ = progress; }

void ColumnGridCell::displayModeChanged(bool textOnlyMode) {
  if (!isColumnCanDisabled()) return;
  isDisabled_ = textOnlyMode;
  showBorder();
}

void ColumnGridCell::deleteCell() {
  if (!column_ || column_->isDeleting()) return;
  column_->setIsDeleting(true);
  if (delButton_) delButton_->setEnabled(false);
  NotificationCenter::defaultCenter().post(kUnsubscribeNotification, Value(std::static_pointer_cast<Object>(column_)));
}

void ColumnGridCell::colunmDetailButtonPressed() {
  if (delegate_) delegate_->presentCellDetail(*this);
}

void ColumnGridCell::addColumnButtonPressed() {
  if (delegate_) delegate_->switchToSubscribeView();
}

}  // namespace zu
