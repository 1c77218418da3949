// The article list's rows: which cell each row gets, how it is filled and how tall it is, the
// thumbnails and authors' icons reaching the visible rows, and the screen's day and night look.
#include <algorithm>
#include <cmath>

#include "model/columns/Column.h"
#include "model/columns/MBlogUser.h"
#include "model/entry/Content.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskThumbnail.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/text/AttributedString.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/text/TextMetrics.h"
#include "reading/images/DownloadWithPrioritySession.h"
#include "reading/refresh/FavoriteNoneView.h"
#include "reading/cells/GetUpdatedString.h"
#include "reading/refresh/LoadMoreView.h"
#include "reading/refresh/LoadMoreViewCell.h"
#include "reading/support/ReadingLook.h"
#include "reading/refresh/RefreshTableHeaderView.h"
#include "reading/list/ReportContentController.h"
#include "reading/list/ReportContentEngine.h"
#include "reading/cells/ReportContentTableCellForImage.h"
#include "reading/cells/ReportContentTableCellForVideo.h"
#include "reading/cells/ReportContentTableCellMBlog.h"
#include "reading/cells/ReportContentTableCellWithImage.h"
#include "reading/cells/TextWrapAroundView.h"
#include "shell/skin/MBarButtonItem.h"
#include "shell/skin/MNavigationBarDecorator.h"

namespace zu {

namespace {

// Text rows: the tags the rows' parts answer to.
constexpr int kTitleTag = 1;
constexpr int kSummaryLabelTag = 2;
constexpr int kThumbnailTag = 3;
constexpr int kDateTag = 4;
// The load-more row's line at its top.
constexpr int kLoadMoreLineTag = 5;
// A title taller than this is two lines: the summary and the date move down by it.
constexpr float kOneLineTitle = 20;
constexpr float kTitleMaxHeight = 40;
constexpr float kTitleMeasureHeight = 60;
// Microblog rows.
constexpr float kMBlogFontSize = 14;
constexpr float kMBlogLineSpace = 4;
constexpr float kMBlogTextExtra = 42;
constexpr float kMBlogPictureExtra = 80;
constexpr float kMBlogRetweetExtra = 23;
constexpr float kMBlogRetweetShift = 9;
// The author's line: the name, the retweet word after it, the date at its right end.
constexpr float kLineGap = 6;
constexpr float kRetweetWordWidth = 40;
const ui::Rect kRetweetTextFrame(57, 44, 245, 480);
const ui::Rect kRetweetWrapFrame(293, 44, 0, 0);
const ui::Rect kPlainTextFrame(48, 36, 262, 480);
const ui::Rect kPlainWrapFrame(310, 36, 0, 0);
const ui::Color kNightBackground(43 / 255.0f, 44 / 255.0f, 48 / 255.0f, 1);
const ui::Color kDayBackground(246 / 255.0f, 246 / 255.0f, 246 / 255.0f, 1);

template <typename Cell>
std::shared_ptr<Cell> reusableCell(ui::TableView& table, const char* name, const std::shared_ptr<Object>& owner) {
  if (auto cell = std::dynamic_pointer_cast<Cell>(table.dequeueReusableCell(name))) return cell;
  auto objects = ui::NibRegistry::shared().load(name, owner);
  return objects.empty() ? nullptr : std::dynamic_pointer_cast<Cell>(objects.front());
}

std::optional<std::string> thumbnailOf(const NewsSummary& item) {
  return item.veskThumbnail() ? item.veskThumbnail()->href() : std::nullopt;
}

std::optional<std::string> iconOf(const NewsSummary& item) {
  const auto& blog = item.veskMBlog();
  return blog && blog->layoutUser() ? blog->layoutUser()->profile_img_url() : std::nullopt;
}

bool hasRetweet(const NewsSummary& item) { return item.veskMBlog() && item.veskMBlog()->layoutRetweeted(); }

// The summary text of a row: the content's text, else the entry's summary.
std::optional<std::string> summaryTextOf(const NewsSummary& item) {
  if (item.content() && item.content()->data()) return item.content()->data();
  return item.summary();
}

size_t utf16Length(const std::string& utf8) { return ui::AttributedString(utf8).length(); }

// A microblog row's text in its view, as the row shows it: frames, fonts, colours, layout.
void layoutMicroblogText(TextWrapAroundView& view, const NewsSummary& item, bool night) {
  const bool retweet = hasRetweet(item);
  view.setFrame(retweet ? kRetweetTextFrame : kPlainTextFrame);
  view.setWrappedViewFrame(retweet ? kRetweetWrapFrame : kPlainWrapFrame);
  view.setDefaultFontSize(kMBlogFontSize);
  view.setDefaultLineSpace(kMBlogLineSpace);
  view.setXDistance(5);
  view.setYDistance(4);
  const auto text = summaryTextOf(item);
  const auto& retweeted = retweet ? item.veskMBlog()->layoutRetweeted()->name() : std::nullopt;
  std::string shown = text.value_or(" ");
  size_t boldLength = 0;
  if (retweeted) {
    shown = *retweeted + "：" + text.value_or("");
    boldLength = utf16Length(*retweeted) + 1;
  }
  ui::AttributedString string(shown);
  string.setFont(ui::Font::named("STHeitiSC-Light", kMBlogFontSize));
  if (boldLength > 0) string.setFont(ui::Font::named("Helvetica-Bold", kMBlogFontSize), ui::TextRange{0, boldLength});
  string.setTextColor(!night ? ui::Color::blackColor() : ReadingLook::grey(retweet ? 182 : 225));
  ui::ParagraphStyle paragraph;
  paragraph.alignment = ui::ParagraphStyle::Alignment::Left;
  paragraph.lineSpacing = kMBlogLineSpace;
  string.setParagraphStyle(paragraph);
  view.setAttributedString(std::move(string));
  view.calculateTotalHeight();
  view.setNeedsDisplay();
}

}  // namespace

// --- rows

std::optional<float> ReportContentController::heightForRow(ui::TableView&, const ui::IndexPath& indexPath) {
  auto item = itemAt(indexPath);
  if (!item || isPlaceholder(*item)) return kLoadMoreHeight;
  if (cellType_ == 1) return kAlbumHeight;
  if (cellType_ == 2) return kVideoHeight;
  if (cellType_ == 3) {
    auto cached = rowHeights_.find(item.get());
    if (cached != rowHeights_.end()) return cached->second.second;
    const float height = microblogRowHeight(*item);
    rowHeights_.emplace(item.get(), std::make_pair(item, height));
    return height;
  }
  return kTextHeight;
}

float ReportContentController::microblogRowHeight(const NewsSummary& item) const {
  if (!measureView_) measureView_ = std::make_shared<TextWrapAroundView>();
  layoutMicroblogText(*measureView_, item, false);
  float height = std::trunc(measureView_->frame().height() + kMBlogTextExtra);
  if (showsThumbnail(item)) height += kMBlogPictureExtra;
  if (hasRetweet(item)) height += kMBlogRetweetExtra;
  return height;
}

bool ReportContentController::showsThumbnail(const NewsSummary& item) const {
  return !isNoPic_ && thumbnailOf(item).has_value();
}

std::shared_ptr<ui::Image> ReportContentController::cachedImage(const std::optional<std::string>& url) const {
  if (!url || !engine_) return nullptr;
  auto path = engine_->getImageLocalPath(url);
  return path ? ui::Image::fromFile(*path) : nullptr;
}

// The session's "now" window follows the first visible row.
void ReportContentController::reprioritiseThumbnails(ui::TableView& table) {
  if (!DLThumbSession_) return;
  int location = 0;
  const auto visible = table.indexPathsForVisibleRows();
  if (!visible.empty()) {
    if (auto item = itemAt(visible.front())) {
      auto found = std::find(dataSource_->begin(), dataSource_->end(), item);
      if (found != dataSource_->end()) location = static_cast<int>(found - dataSource_->begin());
    }
  }
  DLThumbSession_->setGroupWithStrategy(location, isAlbumOrVideo() ? 6 : 5, 0, 0, -1);
}

std::shared_ptr<ui::TableViewCell> ReportContentController::cellForRow(ui::TableView& table,
                                                                       const ui::IndexPath& indexPath) {
  reprioritiseThumbnails(table);
  auto item = itemAt(indexPath);
  std::shared_ptr<ui::TableViewCell> cell;
  if (!item || isPlaceholder(*item)) {
    cell = loadMoreCell(table);
  } else if (isAlbumOrVideo()) {
    cell = albumCell(table, indexPath);
  } else if (cellType_ == 3) {
    cell = microblogCell(table, *item);
  } else {
    cell = textCell(table, *item);
  }
  if (!cell) return std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, "");
  // Rows lie on the list's own background (its colour, or the album and video backdrops).
  cell->setBackgroundColor(ui::Color::clearColor());
  return cell;
}

std::shared_ptr<ui::TableViewCell> ReportContentController::loadMoreCell(ui::TableView& table) {
  auto cell = std::dynamic_pointer_cast<LoadMoreViewCell>(table.dequeueReusableCell(LoadMoreViewCell::kNibName));
  if (!cell) {
    cell = reusableCell<LoadMoreViewCell>(table, LoadMoreViewCell::kNibName, shared());
    if (!cell) return nullptr;
    // Made here for a text, microblog or favourites list: the list's line at its top, in a clear
    // background (not the cell's upper line), and the pressed background.
    if (!isAlbumOrVideo()) {
      auto background = std::make_shared<ui::View>(cell->frame());
      background->setBackgroundColor(ui::Color::clearColor());
      auto line = std::make_shared<ui::ImageView>(ui::Rect(0, 0, 320, 2));
      line->setTag(kLoadMoreLineTag);
      background->addSubview(line);
      cell->setBackgroundView(background);
      table.setShowsVerticalScrollIndicator(true);
    }
  }
  if (auto background = cell->backgroundView()) {
    // The line and the pressed background follow the list's day or night.
    auto line = std::dynamic_pointer_cast<ui::ImageView>(background->viewWithTag(kLoadMoreLineTag));
    auto picture = ReadingLook::image("listpage_line.png", nightMode_);
    if (line && (line->image() != picture || !cell->selectedBackgroundView())) {
      line->setImage(picture);
      cell->setSelectedBackgroundView(ReadingLook::pressBackground(nightMode_));
    }
  }
  if (cellType_ == 2) cell->setStyle2();
  cell->setNightMode(nightMode_);
  if (loadMorePaused_) {
    cell->setPaused(true);
    cell->statusLabel()->setText(kTapForMoreText);
    cell->activityView()->stopAnimating();
    return cell;
  }
  cell->setPaused(false);
  cell->statusLabel()->setText(kLoadingMoreText);
  std::weak_ptr<ReportContentController> weak = sharedList();
  RunLoop::main()->postDelayed(0.1, [weak] {
    if (auto self = weak.lock(); self && !self->loadMorePaused_) self->fetchNextData();
  });
  return cell;
}

std::shared_ptr<ui::TableViewCell> ReportContentController::albumCell(ui::TableView& table,
                                                                      const ui::IndexPath& indexPath) {
  std::shared_ptr<ReportContentTableCellImageAndVideo> cell;
  if (cellType_ == 1) {
    auto album = reusableCell<ReportContentTableCellForImage>(table, ReportContentTableCellForImage::kNibName, shared());
    if (album) album->setNightMode(nightMode_);
    cell = album;
  } else {
    auto video = reusableCell<ReportContentTableCellForVideo>(table, ReportContentTableCellForVideo::kNibName, shared());
    if (video) video->setNightMode(nightMode_);
    cell = video;
  }
  if (!cell) return nullptr;
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  cell->setDelegate(std::static_pointer_cast<ReportContentTableCellImageAndVideoProtocol>(sharedList()));
  cell->setCellId(static_cast<int>(indexPath.row));
  const auto& section = sortdataSource_[static_cast<size_t>(indexPath.section)];
  const auto first = static_cast<size_t>(2 * indexPath.row);
  auto fill = [&](ui::Button& button, ui::Label& title, const NewsSummary& item) {
    auto image = cachedImage(thumbnailOf(item));
    button.setImage(image, ui::kControlStateNormal);
    button.imageView()->setContentMode(ui::ContentMode::ScaleAspectFill);
    title.setText(item.title().value_or(""));
  };
  fill(*cell->contentCellButtonFirst(), *cell->titleCellImageFirst(), *section[first]);
  const auto second = first + 1 < section.size() ? section[first + 1] : nullptr;
  const bool hidden = !second || isPlaceholder(*second);
  std::vector<std::shared_ptr<ui::View>> secondHalf{cell->contentCellButtonSecond(), cell->contentCellImageSecond()};
  for (int tag : ReportContentTableCellImageAndVideo::kSecondSlotDecorationTags) {
    if (auto view = cell->contentView()->viewWithTag(tag)) secondHalf.push_back(view);
  }
  for (const auto& view : secondHalf) view->setHidden(hidden);
  if (hidden) {
    cell->titleCellImageSecond()->setText("");
  } else {
    fill(*cell->contentCellButtonSecond(), *cell->titleCellImageSecond(), *second);
  }
  return cell;
}

std::shared_ptr<ui::TableViewCell> ReportContentController::textCell(ui::TableView& table, const NewsSummary& item) {
  const bool withImage = showsThumbnail(item);
  std::shared_ptr<ReportContentTableCell> cell;
  if (withImage) {
    auto imageCell =
        reusableCell<ReportContentTableCellWithImage>(table, ReportContentTableCellWithImage::kNibName, shared());
    if (imageCell) {
      imageCell->contentCellImage()->setImage(nullptr);
      imageCell->contentCellImage()->setTag(kThumbnailTag);
      imageCell->contentCellImage()->setImage(cachedImage(thumbnailOf(item)));
    }
    cell = imageCell;
  } else {
    cell = reusableCell<ReportContentTableCell>(table, ReportContentTableCell::kNibName, shared());
  }
  if (!cell) return nullptr;
  if (cell->nightMode() != nightMode_) cell->setNightMode(nightMode_);
  if (auto line = cell->upperLineView()) line->setHidden(false);
  auto& title = *cell->contentCellTitle();
  auto& summary = *cell->contentCellSummary();
  auto& date = *cell->contentCellUpdated();
  title.setTag(kTitleTag);
  summary.setTag(kSummaryLabelTag);
  date.setTag(kDateTag);
  title.setText(item.title().value_or(""));
  cell->setRead(item.veskEntryStatus() && item.veskEntryStatus()->read() == 1);
  // The title measured in its width, at most 60 high (clipped), then at most 40.
  const ui::Rect titleFrame = title.frame();
  const ui::Size measured = ui::TextMetrics::current().sizeOf(
      title.text(), title.font(), ui::Size{titleFrame.width(), kTitleMeasureHeight}, ui::LineBreakMode::Clip);
  const float titleHeight = std::min(measured.height, kTitleMaxHeight);
  title.setNumberOfLines(0);
  title.setFrame(ui::Rect(titleFrame.minX(), titleFrame.minY(), titleFrame.width(), titleHeight));
  summary.setText(summaryTextOf(item).value_or(" "));
  if (titleHeight > kOneLineTitle) {
    // From the frames the cell put back on reuse.
    const ui::Rect s = summary.frame();
    summary.setFrame(ui::Rect(s.minX(), s.minY() + kOneLineTitle, s.width(), s.height() - kOneLineTitle));
    const ui::Rect d = date.frame();
    date.setFrame(ui::Rect(d.minX(), d.minY() + kOneLineTitle, d.width(), d.height()));
  }
  date.setText(GetUpdatedString(item.updated()));
  return cell;
}

std::shared_ptr<ui::TableViewCell> ReportContentController::microblogCell(ui::TableView& table,
                                                                          const NewsSummary& item) {
  auto cell = reusableCell<ReportContentTableCellMBlog>(table, ReportContentTableCellMBlog::kNibName, shared());
  if (!cell) return nullptr;
  cell->setClipsToBounds(true);
  if (cell->nightMode() != nightMode_) cell->setNightMode(nightMode_);
  auto& icon = *cell->contentCellIcon();
  icon.setImage(ui::Image::named(ReportContentTableCellMBlog::kDefaultAvatar));
  icon.layer().cornerRadius = 2;
  if (auto cached = cachedImage(iconOf(item))) icon.setImage(cached);
  auto& updated = *cell->contentCellUpdated();
  updated.setText(GetUpdatedString(item.updated()));
  const ui::Rect dateFrame = updated.frame();
  const float dateLeft = dateFrame.maxX() - std::min(dateFrame.width(), updated.sizeThatFits(dateFrame.size).width);
  const auto& user = item.veskMBlog() ? item.veskMBlog()->layoutUser() : nullptr;
  auto& nameLabel = *cell->contentCellName();
  nameLabel.setText(user && user->name() ? *user->name() : "");
  nameLabel.sizeToFit();
  const bool retweet = hasRetweet(item);
  // The retweet word follows the author's name on its line; both end before the date's text.
  const float room = dateLeft - kLineGap - (retweet ? kRetweetWordWidth + kLineGap : 0) - nameLabel.frame().minX();
  if (nameLabel.frame().width() > room) {
    ui::Rect fitted = nameLabel.frame();
    fitted.size.width = std::max(0.0f, room);
    nameLabel.setFrame(fitted);
  }
  auto& retweetWord = *cell->contentCellRetweetString();
  retweetWord.setText(retweet ? "转发" : "");
  const ui::Rect name = nameLabel.frame();
  retweetWord.setFrame(ui::Rect(name.maxX() + kLineGap, name.minY() + 1, kRetweetWordWidth, name.height()));
  auto& text = *cell->contentWrapContent();
  layoutMicroblogText(text, item, nightMode_);
  auto& background = *cell->contentCellBKImage();
  if (retweet) {
    auto picture = ReadingLook::image("weibo_forward_bg.png", nightMode_);
    background.setImage(picture ? picture->stretchableImage(36, 15) : nullptr);
    // The box holds the retweeted text (and its picture) within the row.
    const ui::Rect box = background.frame();
    background.setFrame(ui::Rect(box.minX(), box.minY(), box.width(), microblogRowHeight(item) - box.minY() - 6));
  } else {
    background.setImage(nullptr);
  }
  auto& picture = *cell->contentCellImage();
  picture.setImage(nullptr);
  if (showsThumbnail(item)) {
    auto frame = cell->contentView()->viewWithTag(ReportContentTableCellMBlog::kImageFrameTag);
    const float shift = retweet ? kMBlogRetweetShift : 0;
    const float top = text.frame().maxY() - 4 + 10;
    if (frame) {
      const ui::Rect f = frame->frame();
      frame->setHidden(false);
      frame->setFrame(ui::Rect(f.minX() + shift, top, f.width(), f.height()));
    }
    const ui::Rect p = picture.frame();
    picture.setHidden(false);
    picture.setFrame(ui::Rect(p.minX() + shift, top + 2, p.width(), p.height()));
    picture.setTag(kThumbnailTag);
    picture.setImage(cachedImage(thumbnailOf(item)));
  }
  return cell;
}

// --- downloads

void ReportContentController::closeThumbSession() {
  if (DLThumbSession_) DLThumbSession_->sessionClose();
  DLThumbSession_.reset();
}

void ReportContentController::startDownloads(const Items& concerned, bool newSession) {
  if (!engine_) return;
  if (!isNoPic_) {
    auto hasAddress = [](const Items& items) {
      return std::any_of(items.begin(), items.end(), [](const auto& item) { return thumbnailOf(*item).has_value(); });
    };
    if (newSession) closeThumbSession();
    if (newSession || (!DLThumbSession_ && hasAddress(concerned))) {
      // A new session covers the whole list, so that its indexes are the list's; a list without
      // a single thumbnail gets none (no download thread for nothing) until one comes.
      if (hasAddress(*dataSource_)) {
        std::vector<std::optional<std::string>> urls;
        for (const auto& item : *dataSource_) urls.push_back(thumbnailOf(*item));
        DLThumbSession_ = engine_->createThumbSession(urls);
      }
      if (DLThumbSession_) {
        DLThumbSession_->setDelegate(std::static_pointer_cast<DownloadWithPrioritySessionDelegate>(sharedList()));
      }
    } else if (DLThumbSession_) {
      std::vector<std::optional<std::string>> urls;
      for (const auto& item : concerned) urls.push_back(thumbnailOf(*item));
      DLThumbSession_->appendUrlArray(urls);
    }
  }
  std::vector<std::string> icons;
  for (const auto& item : concerned) {
    if (auto icon = iconOf(*item)) icons.push_back(*icon);
  }
  if (!icons.empty()) engine_->downloadImageBatch(icons);
}

void ReportContentController::onDownloadResult(const std::shared_ptr<DownloadWithPrioritySession>&,
                                               const std::string& url, const std::optional<std::string>&) {
  if (!contenttable_) return;
  const std::optional<std::string> address = url.empty() ? std::nullopt : std::optional<std::string>(url);
  const auto visible = contenttable_->indexPathsForVisibleRows();
  for (const auto& path : visible) {
    auto cell = contenttable_->cellForRow(path);
    if (isAlbumOrVideo()) {
      auto pair = std::dynamic_pointer_cast<ReportContentTableCellImageAndVideo>(cell);
      if (!pair) return;
      const auto& section = sortdataSource_[static_cast<size_t>(path.section)];
      const auto first = static_cast<size_t>(2 * pair->cellId());
      for (size_t slot = 0; slot < 2 && first + slot < section.size(); ++slot) {
        const auto& item = section[first + slot];
        if (address && thumbnailOf(*item) != address) continue;
        const auto& button = slot == 0 ? pair->contentCellButtonFirst() : pair->contentCellButtonSecond();
        button->setImage(cachedImage(thumbnailOf(*item)), ui::kControlStateNormal);
        button->imageView()->setContentMode(ui::ContentMode::ScaleAspectFill);
        if (address) return;
      }
      continue;
    }
    auto item = itemAt(path);
    if (!item || !cell || (address && thumbnailOf(*item) != address)) continue;
    auto view = std::dynamic_pointer_cast<ui::ImageView>(cell->contentView()->viewWithTag(kThumbnailTag));
    if (!view) continue;
    view->setImage(showsThumbnail(*item) ? cachedImage(thumbnailOf(*item)) : nullptr);
    if (address) return;
  }
}

void ReportContentController::updateImageInVisibleCells(const std::optional<std::string>& url) {
  if (!contenttable_ || cellType_ != 3) return;
  for (const auto& path : contenttable_->indexPathsForVisibleRows()) {
    auto cell = std::dynamic_pointer_cast<ReportContentTableCellMBlog>(contenttable_->cellForRow(path));
    auto item = itemAt(path);
    if (!cell || !item || (url && iconOf(*item) != url)) continue;
    cell->contentCellIcon()->setImage(cachedImage(iconOf(*item)));
  }
}

void ReportContentController::markVisibleRowsRead() {
  for (const auto& path : contenttable_->indexPathsForVisibleRows()) {
    auto cell = std::dynamic_pointer_cast<ReportContentTableCell>(contenttable_->cellForRow(path));
    auto item = itemAt(path);
    if (cell && item && item->veskEntryStatus() && item->veskEntryStatus()->read() == 1) cell->setRead(true);
  }
}

// --- day and night

void ReportContentController::setNightMode(bool night) {
  nightMode_ = night;
  if (!isViewLoaded()) return;
  if (auto* navigation = navigationController()) {
    MNavigationBarDecorator::sharedInstance()->decorateNavigationController(
        *navigation, ui::Image::named(night ? "black_topbar.png" : "topbar.png"));
  }
  applyTitleView(night);
  if (isFavorite()) {
    auto* navigation = navigationController();
    if (navigation && navigation->viewControllers().size() > 1 && navigation->viewControllers().front().get() != this) {
      const auto& stack = navigation->viewControllers();
      auto me = std::find_if(stack.begin(), stack.end(), [this](const auto& c) { return c.get() == this; });
      const auto previous = me != stack.begin() && me != stack.end() ? *(me - 1) : nullptr;
      const std::string title = previous && previous->title() ? *previous->title() : "";
      navigationItem()->setHidesBackButton(true);
      std::weak_ptr<ReportContentController> weak = sharedList();
      navigationItem()->setLeftBarButtonItem(MBarButtonItem::barButtonItemWithTitle(
          " " + title, ui::Image::named(night ? "black_back1_normal.png" : "back1_normal.png"),
          ui::Image::named(night ? "black_back1_press.png" : "back1_press.png"), this, [weak](ui::Control&) {
            if (auto self = weak.lock()) self->backButtonPressed();
          }));
    }
  }
  // A new refresh header of the mode.
  if (refreshHeaderView_) refreshHeaderView_->removeFromSuperview();
  if (contenttable_) {
    const float height = contenttable_->bounds().size.height;
    refreshHeaderView_ = std::make_shared<RefreshTableHeaderView>(ui::Rect(0, -height, 320, height), night);
    if (cellType_ == 2) refreshHeaderView_->setStyle2();
    contenttable_->addSubview(refreshHeaderView_);
    if (dataColumn_) refreshHeaderView_->setDate(dataColumn_->updated());
  }
  applyBackgrounds(night);
  if (loadingView_) loadingView_->setNightMode(night);
  if (favoriteNoneView_) favoriteNoneView_->setNightMode(night);
  if (leftButton_) layBarButtons();
}

void ReportContentController::applyTitleView(bool night) {
  auto label = std::make_shared<ui::Label>(ui::Rect(42, 9, 236, 28));
  std::optional<std::string> text;
  if (auto old = std::dynamic_pointer_cast<ui::Label>(navigationItem()->titleView())) text = old->text();
  if (!text && dataColumn_) text = dataColumn_->title();
  label->setText(text.value_or(""));
  label->setFont(ui::Font::boldSystemFont(20));
  label->setTextAlignment(ui::TextAlignment::Center);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setShadowOffset(ui::Size{0, -1});
  label->setTextColor(night ? ReadingLook::grey(225) : ui::Color::whiteColor());
  label->setShadowColor(night ? ui::Color(0, 0, 0, 0.75f) : ui::Color::darkGrayColor());
  navigationItem()->setTitleView(label);
  titleLabel_ = label;
}

void ReportContentController::applyBackgrounds(bool night) {
  auto content = view();
  if (auto old = content->viewWithTag(kBackgroundTag)) old->removeFromSuperview();
  if (contenttable_) {
    if (auto old = contenttable_->viewWithTag(kBackgroundTag)) old->removeFromSuperview();
  }
  const ui::Color background = night ? kNightBackground : kDayBackground;
  if (emptyListView_) emptyListView_->setBackgroundColor(background);
  if (isAlbumOrVideo()) {
    const bool album = cellType_ == 1;
    const char* name = album ? (night ? "black_album_bj" : "album_bj") : "videolist_pagebj";
    const char* type = album && !night ? "jpg" : "png";
    auto path = Bundle::mainBundle()->pathForResource(name, type);
    auto picture = std::make_shared<ui::ImageView>(content->bounds());
    picture->setImage(path ? ui::Image::withContentsOfFile(*path) : nullptr);
    picture->setTag(kBackgroundTag);
    picture->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
    content->insertSubviewAt(picture, 0);
    if (contenttable_) contenttable_->setBackgroundColor(ui::Color::clearColor());
    return;
  }
  content->setBackgroundColor(background);
  if (!contenttable_) return;
  contenttable_->setBackgroundColor(background);
  if (night) return;
  // By day the pressed-row picture lies behind the refresh header, where a pull uncovers it.
  auto picture = ReadingLook::image("list_press_bj.png", false);
  const float height = contenttable_->bounds().height();
  auto under = std::make_shared<ui::ImageView>(ui::Rect(0, -height, 320, height));
  under->setImage(picture ? picture->stretchableImage(0, 42) : nullptr);
  under->setTag(kBackgroundTag);
  if (refreshHeaderView_) contenttable_->insertSubviewBelow(under, refreshHeaderView_);
}

}  // namespace zu
