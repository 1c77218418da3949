#include "shell/offline/OfflineDownloadView.h"

#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/TableView.h"
#include "shell/offline/DownloadTableViewCell.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/offline/OfflineDownloadManager.h"

namespace zu {

namespace {

// The panel: 290 × 324 points. The state text and the title across the top with the column's
// number over the count at the right, the bar under them, five 42-point rows, and the two
// buttons at the bottom. The title's place suits the longer "正在检查新文章:"; it moves 39
// points left while the state reads "正在下载:".
constexpr float kWidth = 290;
constexpr float kHeight = 324;
constexpr float kMargin = 12;
constexpr float kBarY = 42;
constexpr float kBarHeight = 9;
constexpr float kTableY = 62;
constexpr float kTableHeight = 210;
// The ends of the fill picture that keep their shape.
constexpr float kFillEnd = 10;

std::string numberText(int32_t n) { return std::to_string(n); }

}  // namespace

void OfflineDownloadView::build(ui::NibLoading& file) {
  auto panel = file.makeTopLevel<OfflineDownloadView>();
  auto state = file.make<ui::Label>(ui::Rect(kMargin, 12, 100, 20));
  state->setFont(ui::Font::systemFont(13));
  state->setText(kDownloadingState);
  auto title = file.make<ui::Label>(ui::Rect(108, 12, 112, 20));
  title->setFont(ui::Font::boldSystemFont(14));
  title->setLineBreakMode(ui::LineBreakMode::TailTruncation);
  auto numerator = file.make<ui::Label>(ui::Rect(222, 10, 26, 22));
  numerator->setFont(ui::Font::boldSystemFont(17));
  numerator->setTextAlignment(ui::TextAlignment::Right);
  auto denominator = file.make<ui::Label>(ui::Rect(250, 12, 30, 20));
  denominator->setFont(ui::Font::systemFont(13));
  for (const auto& label : {state, title, numerator, denominator}) label->setBackgroundColor(ui::Color::clearColor());
  auto track = file.make<ui::ImageView>(ui::Rect(kMargin, kBarY, kFullBarWidth, kBarHeight));
  auto fill = file.make<ui::ImageView>(ui::Rect(kMargin, kBarY, 0, kBarHeight));
  auto table = file.make<ui::TableView>(ui::Rect(kMargin, kTableY, kFullBarWidth, kTableHeight));
  auto cancel = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(65, 282, 60, 30));
  auto hide = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(165, 282, 60, 30));
  panel->setFrame(ui::Rect(0, 0, kWidth, kHeight));
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{
           state, title, numerator, denominator, track, fill, table, cancel, hide}) {
    panel->addSubview(view);
  }
  file.connect([panel, state, title, numerator, denominator, track, fill, table, cancel, hide] {
    panel->stateLabel_ = state;
    panel->titleLabel_ = title;
    panel->numeratorLabel_ = numerator;
    panel->denominatorLabel_ = denominator;
    panel->progressBackImageView_ = track;
    panel->progressImageView_ = fill;
    panel->tableView_ = table;
    panel->cancelButton_ = cancel;
    panel->hideButton_ = hide;
  });
  // The owner's connections: the table's data source and delegate, and the buttons' actions.
  auto owner = std::dynamic_pointer_cast<OfflineDownloadManager>(file.owner());
  if (!owner) return;
  std::weak_ptr<OfflineDownloadManager> weakOwner = owner;
  file.connect([table, cancel, hide, owner, weakOwner] {
    table->setDataSource(std::weak_ptr<ui::TableViewDataSource>(owner));
    table->setDelegate(std::weak_ptr<ui::TableViewDelegate>(owner));
    cancel->addTarget(owner.get(), ui::kControlEventTouchUpInside, [weakOwner](ui::Control& sender) {
      auto manager = weakOwner.lock();
      auto* button = dynamic_cast<ui::Button*>(&sender);
      if (manager && button) manager->cancelOfflineDownload(*button);
    });
    hide->addTarget(owner.get(), ui::kControlEventTouchUpInside, [weakOwner](ui::Control&) {
      if (auto manager = weakOwner.lock()) manager->hideDownloadView();
    });
  });
}

void OfflineDownloadView::registerNib() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& file) { build(file); });
}

OfflineDownloadView::OfflineDownloadView() = default;

void OfflineDownloadView::awakeFromNib() {
  ui::View::awakeFromNib();
  setFace();
  if (tableView_) {
    tableView_->layer().borderWidth = 1;
    tableView_->layer().borderColor = tableView_->separatorColor();
    tableView_->layer().cornerRadius = 10;
  }
  if (numeratorLabel_) numeratorLabel_->setText("1");
  if (denominatorLabel_) {
    const int64_t rows = tableView_ ? tableView_->numberOfRowsInSection(0) : 0;
    denominatorLabel_->setText("/ " + std::to_string(rows));
  }
  if (progressImageView_) {
    auto image = progressImageView_->image();
    const float w = image ? image->size().width : 0;
    // A fill without a picture (or one too narrow for its ends) keeps stretching as a whole.
    if (w > 2 * kFillEnd) progressImageView_->setContentStretch(ui::Rect(kFillEnd / w, 0, (w - 2 * kFillEnd) / w, 1));
  }
}

void OfflineDownloadView::setFace() {
  setBackgroundColor(MyFaceSettings::getBackgroundcolorForOfflineDownloadView());
  if (tableView_) {
    tableView_->setBackgroundColor(MyFaceSettings::getBackgroundcolorForOfflineDownloadTableView());
    tableView_->setSeparatorColor(MyFaceSettings::getSeparatorColorForOfflineDownloadTableView());
  }
  if (titleLabel_) titleLabel_->setTextColor(MyFaceSettings::getColorForOfflineDownloadTopTitleLabel());
  if (stateLabel_) stateLabel_->setTextColor(MyFaceSettings::getColorForOfflineDownloadTopDetailLabel());
  if (numeratorLabel_) numeratorLabel_->setTextColor(MyFaceSettings::getColorForOfflineDownloadCurrentNumLabel());
  if (denominatorLabel_) denominatorLabel_->setTextColor(MyFaceSettings::getColorForOfflineDownloadTotalNumLabel());
  if (progressImageView_) MyFaceSettings::setImageForOfflineDownloadProgressBarFrontImageView(*progressImageView_);
  if (progressBackImageView_) MyFaceSettings::setImageForOfflineDownloadProgressBarBackImageView(*progressBackImageView_);
  if (cancelButton_) MyFaceSettings::setImageForOfflineDownloadCancelButton(*cancelButton_);
  if (hideButton_) MyFaceSettings::setImageForOfflineDownloadHideButton(*hideButton_);
}

void OfflineDownloadView::updateProgressTable(int32_t row, const std::string& state) {
  if (!tableView_) return;
  auto cell = std::dynamic_pointer_cast<DownloadTableViewCell>(tableView_->cellForRow(ui::IndexPath{0, row}));
  if (cell && cell->detailLabel()) cell->detailLabel()->setText(state);
  if (state == DownloadTableViewCell::kDoneState) {
    if (cell && cell->iconImageView()) cell->iconImageView()->setHidden(false);
    if (cell && cell->detailLabel()) cell->detailLabel()->setTextColor(DownloadTableViewCell::doneColor());
    auto next = std::dynamic_pointer_cast<DownloadTableViewCell>(tableView_->cellForRow(ui::IndexPath{0, row + 1}));
    if (next && next->detailLabel()) next->detailLabel()->setText(kCheckingRow);
    if (stateLabel_) stateLabel_->setText(kCheckingState);
    if (titleLabel_) {
      titleLabel_->setTransform(ui::Transform::identity());
      titleLabel_->setText(next && next->titleLabel() ? next->titleLabel()->text() : std::string());
    }
    if (next && next->iconImageView()) next->iconImageView()->setHidden(true);
    if (numeratorLabel_) numeratorLabel_->setText(numberText(row + 2));
    tableView_->scrollToRow(ui::IndexPath{0, row}, ui::TableViewScrollPosition::Top, true);
  } else {
    if (stateLabel_) stateLabel_->setText(kDownloadingState);
    if (titleLabel_) titleLabel_->setTransform(ui::Transform::makeTranslation(kTitleShift, 0));
  }
}

void OfflineDownloadView::updateProgressBar(float fraction) {
  if (!progressImageView_) return;
  ui::Rect frame = progressImageView_->frame();
  frame.size.width = fraction * kFullBarWidth;
  progressImageView_->setFrame(frame);
}

void OfflineDownloadView::resetView(int32_t index) {
  if (numeratorLabel_) numeratorLabel_->setText(numberText(index));
  if (!tableView_) return;
  // Only a row the table has: a saved column number past the rows (or no rows) scrolls nowhere.
  const int64_t row = static_cast<int64_t>(index) - 1;
  if (row < 0 || row >= tableView_->numberOfRowsInSection(0)) return;
  tableView_->scrollToRow(ui::IndexPath{0, row}, ui::TableViewScrollPosition::Top, true);
}

}  // namespace zu
