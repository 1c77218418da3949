#include "settings/about/MSAppsView.h"

#include <algorithm>

#include "engine/core/Task.h"
#include "model/service/VeskApp.h"
#include "model/service/VeskAppRecommend.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "settings/about/AboutEngine.h"
#include "shell/app/ErrorTips.h"

namespace zu {

namespace {

constexpr int kBuiltInCount = 3;
constexpr int kForbidden = -3403;
constexpr int kCancelled = -6;
// The context of this view's error alerts: one blank.
constexpr const char* kErrorContext = " ";

bool gBuiltInShown = false;

}  // namespace

const std::vector<MSAppsView::BuiltInApp>& MSAppsView::builtInApps() {
  static const std::vector<BuiltInApp> apps = {
      {"about_app_news.png", "zu新闻", "https://apps.vesk.com/zu-news"},
      {"about_app_album.png", "zu相册", "https://apps.vesk.com/zu-album"},
      {"about_app_dict.png", "zu词典", "https://apps.vesk.com/zu-dict"},
  };
  return apps;
}

bool MSAppsView::builtInShown() { return gBuiltInShown; }

void MSAppsView::resetBuiltInShownForTesting() { gBuiltInShown = false; }

std::shared_ptr<MSAppsView> MSAppsView::create(const ui::Rect& frame, std::shared_ptr<AboutEngine> engine) {
  auto view = std::make_shared<MSAppsView>(frame);
  view->internalInit(std::move(engine));
  return view;
}

MSAppsView::MSAppsView(const ui::Rect& frame) : ui::ScrollView(frame) {}

MSAppsView::~MSAppsView() {
  if (buildToken_) RunLoop::main()->cancel(buildToken_);
  NotificationCenter::defaultCenter().remove(this);
}

void MSAppsView::internalInit(std::shared_ptr<AboutEngine> engine) {
  engine_ = engine ? std::move(engine) : AboutEngine::defaultEngine();
  const auto placeholder = ui::Image::named("about_icon_loading.png");
  for (int i = 0; i < kBuiltInCount; ++i) {
    auto picture = std::make_shared<ui::ImageView>(ui::Rect(0, 0, kIconSide, kIconSide));
    picture->setImage(placeholder);
    picture->setTag(kPlaceholderTag + i);
    addSubview(picture);
    auto spinner = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
    spinner->setHidesWhenStopped(true);
    spinner->setTag(kIndicatorTag + i);
    addSubview(spinner);
    spinner->startAnimating();
  }
  appRecommend_ = engine_->getAppRecommend();
  setBackgroundColor(ui::Color::clearColor());
  setShowsHorizontalScrollIndicator(false);
  // An icon held under the finger keeps its touch rather than scrolling the row.
  setCanCancelContentTouches(false);
  setClipsToBounds(true);
  setIndicatorStyle(ui::ScrollViewIndicatorStyle::Black);
  if (hasList() || gBuiltInShown) {
    delayedAppinfo();
    return;
  }
  std::weak_ptr<MSAppsView> weak = std::static_pointer_cast<MSAppsView>(shared());
  buildToken_ = RunLoop::main()->postDelayed(kBuiltInDelay, [weak] {
    if (auto self = weak.lock()) {
      self->buildToken_ = 0;
      self->delayedAppinfo();
    }
  });
}

bool MSAppsView::hasList() const { return appRecommend_ && appRecommend_->veskApps().has_value(); }

int MSAppsView::entryCount() const {
  return hasList() ? static_cast<int>(appRecommend_->veskApps()->size()) : kBuiltInCount;
}

void MSAppsView::delayedAppinfo() {
  if (buildToken_) {
    RunLoop::main()->cancel(buildToken_);
    buildToken_ = 0;
  }
  for (const auto& button : buttons_) button->removeFromSuperview();
  for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
    if (auto label = viewWithTag(kLabelTag + i)) label->removeFromSuperview();
  }
  appRecommend_ = engine_->getAppRecommend();
  buttons_.clear();
  links_.clear();
  built_ = true;
  const int n = entryCount();
  if (hasList()) {
    const auto& apps = *appRecommend_->veskApps();
    for (int i = 0; i < n; ++i) {
      const auto& app = apps[static_cast<size_t>(i)];
      addEntry(i, app ? app->title() : std::nullopt, app ? app->href() : std::nullopt, nullptr);
      if (app && app->img()) startDownload(*app->img());
    }
    for (int i = n; i < kBuiltInCount; ++i) {
      if (auto placeholder = viewWithTag(kPlaceholderTag + i)) placeholder->setHidden(true);
      if (auto spinner = std::dynamic_pointer_cast<ui::ActivityIndicatorView>(viewWithTag(kIndicatorTag + i))) {
        spinner->stopAnimating();
      }
    }
  } else {
    gBuiltInShown = true;
    for (int i = 0; i < n; ++i) {
      const BuiltInApp& app = builtInApps()[static_cast<size_t>(i)];
      addEntry(i, std::string(app.name), std::string(app.link), ui::Image::named(app.icon));
    }
  }
  setContentSize(ui::Size{kLeft + kPitch * static_cast<float>(n), bounds().size.height});
  setScrollEnabled(n > kBuiltInCount);
  setNeedsLayout();
  layoutIfNeeded();
}

void MSAppsView::addEntry(int index, const std::optional<std::string>& title,
                          const std::optional<std::string>& link, std::shared_ptr<ui::Image> icon) {
  const float x = kLeft + kPitch * static_cast<float>(index);
  auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom, ui::Rect(x, 0, kIconSide, kIconSide));
  button->setAlpha(0);
  button->setTag(kButtonTag + index);
  if (icon) button->setImage(icon, ui::kControlStateNormal);
  std::weak_ptr<MSAppsView> weak = std::static_pointer_cast<MSAppsView>(shared());
  button->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control& sender) {
    if (auto self = weak.lock()) self->iconPressedAction(static_cast<ui::Button&>(sender));
  });
  addSubview(button);
  buttons_.push_back(button);
  links_.push_back(link.value_or(std::string()));
  auto label = std::make_shared<ui::Label>(ui::Rect(x - 10, 71, 86, 20));
  label->setAlpha(0);
  label->setTag(kLabelTag + index);
  label->setFont(ui::Font::systemFont(14));
  label->setTextAlignment(ui::TextAlignment::Center);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setText(title.value_or(std::string()));
  addSubview(label);
  fadeIn(index);
}

void MSAppsView::fadeIn(int index) {
  auto button = viewWithTag(kButtonTag + index);
  auto label = viewWithTag(kLabelTag + index);
  ui::Animations::animate(kFadeDuration, [&] {
    if (button) button->setAlpha(1);
    if (label) label->setAlpha(1);
  });
}

void MSAppsView::startDownload(const std::string& url) {
  auto task = engine_->createDownloadImageTask(url);
  if (!task) return;
  const std::string id = task->getTaskIdStr();
  pending_.push_back(id);
  self_ = std::static_pointer_cast<MSAppsView>(shared());
  std::weak_ptr<MSAppsView> weak = self_;
  NotificationCenter::defaultCenter().add(id, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->getIconImageResultOnMainThread(note);
  });
  engine_->asyncRunTask(task);
}

void MSAppsView::endDownload(const std::string& taskId) {
  NotificationCenter::defaultCenter().remove(this, taskId);
  auto it = std::find(pending_.begin(), pending_.end(), taskId);
  if (it == pending_.end()) return;
  pending_.erase(it);
  // The last report lets go of the view's own hold, once.
  if (pending_.empty()) auto hold = std::move(self_);
}

void MSAppsView::getIconImageResultOnMainThread(const Notification& notification) {
  if (std::find(pending_.begin(), pending_.end(), notification.name) == pending_.end()) return;
  auto keep = shared();
  const Dictionary& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "ImageDownLoad") {
    const auto url = info.get("Url").stringValue();
    if (!url || !hasList()) return;
    const std::string wanted = StringUtil::asciiLowercase(*url);
    const auto& apps = *appRecommend_->veskApps();
    for (size_t i = 0; i < apps.size() && i < buttons_.size(); ++i) {
      if (!apps[i] || !apps[i]->img() || StringUtil::asciiLowercase(*apps[i]->img()) != wanted) continue;
      const int index = static_cast<int>(i);
      const auto path = engine_->getImageLocalPath(*url);
      buttons_[i]->setImage(path ? ui::Image::fromFile(*path) : nullptr, ui::kControlStateNormal);
      if (auto spinner = std::dynamic_pointer_cast<ui::ActivityIndicatorView>(viewWithTag(kIndicatorTag + index))) {
        spinner->stopAnimating();
      }
      buttons_[i]->setAlpha(0);
      if (auto label = viewWithTag(kLabelTag + index)) label->setAlpha(0);
      fadeIn(index);
      break;
    }
    return;
  }
  if (type != "TaskStatus") return;
  const int code = static_cast<int>(info.get("Result").intValue());
  if (code != 0 && code != kCancelled && code != kForbidden) {
    ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(kErrorContext));
  }
  endDownload(notification.name);
}

void MSAppsView::iconPressedAction(ui::Button& button) {
  auto delegate = delegate_.lock();
  const int index = button.tag() - kButtonTag;
  if (!delegate || index < 0 || index >= static_cast<int>(links_.size())) return;
  delegate->appsViewDidClickedAppWithLink(*this, links_[static_cast<size_t>(index)]);
}

void MSAppsView::layoutSubviews() {
  ui::ScrollView::layoutSubviews();
  const int n = built_ ? entryCount() : kBuiltInCount;
  for (int i = 0; i < n; ++i) {
    const float centreX = kLeft + kPitch * static_cast<float>(i) + kIconSide / 2;
    for (int tag : {kPlaceholderTag, kIndicatorTag, kButtonTag}) {
      if (auto part = viewWithTag(tag + i)) part->setCenter(ui::Point{centreX, kIconSide / 2});
    }
    if (auto label = viewWithTag(kLabelTag + i)) label->setCenter(ui::Point{centreX, 81});
  }
}

}  // namespace zu
