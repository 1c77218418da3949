// BarButtonItem: a button of a navigation bar or a toolbar — a system item, a title, an image
// or a custom view — with a style, a width, an enabled flag, a tag and a target-action.
// Made with std::make_shared; main thread only. The bar that shows the item asks view() for
// the view to place; a custom view is used as it is (its own controls act, as on the phone),
// otherwise the item makes a bordered button view that sends the action when tapped.
//
// Kept from the phone: flexible and fixed spaces have no view; a fixed space is `width` wide
// (0 means the bar's default); the action is not sent while the item is disabled; changing the
// title or image redraws the item's view in place.
// A touch ending inside the item's button sends the action; sendAction() is that tap for code and
// tests. setEnabled reaches a custom view that is a Control (its enabled flag follows the
// item's, and a custom control set on a disabled item is disabled), so the control's own
// actions stop with the item; other custom views are left as they are.
// Where we differ on purpose: the action is a function given the item, in place of a target and
// a selector.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/Object.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class Image;
class View;

// The phone's system items, with its numbers.
enum class BarButtonSystemItem {
  Done = 0, Cancel, Edit, Save, Add, FlexibleSpace, FixedSpace, Compose, Reply, Action, Organize,
  Bookmarks, Search, Refresh, Stop, Camera, Trash, Play, Pause, Rewind, FastForward, Undo, Redo,
  PageCurl,
};

enum class BarButtonItemStyle { Plain = 0, Bordered = 1, Done = 2 };

class BarButtonItem : public Object {
 public:
  using Action = std::function<void(BarButtonItem& sender)>;

  BarButtonItem(std::string title, BarButtonItemStyle style, Action action = {});
  BarButtonItem(std::shared_ptr<Image> image, BarButtonItemStyle style, Action action = {});
  BarButtonItem(BarButtonSystemItem systemItem, Action action = {});
  explicit BarButtonItem(std::shared_ptr<View> customView);
  ~BarButtonItem() override;

  const std::optional<BarButtonSystemItem>& systemItem() const { return systemItem_; }
  bool isSpace() const;
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title);
  const std::shared_ptr<Image>& image() const { return image_; }
  void setImage(std::shared_ptr<Image> image);
  BarButtonItemStyle style() const { return style_; }
  void setStyle(BarButtonItemStyle style);
  float width() const { return width_; }
  void setWidth(float width) { width_ = width; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  const std::shared_ptr<View>& customView() const { return customView_; }
  void setCustomView(std::shared_ptr<View> view);
  void setAction(Action action) { action_ = std::move(action); }
  bool hasAction() const { return static_cast<bool>(action_); }

  // The view a bar places for this item (null for spaces). Made once and kept.
  std::shared_ptr<View> view();
  // The size the item's view wants in a bar 44 points high.
  Size preferredSize() const;
  // The tap: sends the action when enabled. True when it was sent.
  bool sendAction();

  // The text the item shows: its title, or the system item's word.
  std::string displayTitle() const;

  std::string description() const override;

 private:
  std::optional<BarButtonSystemItem> systemItem_;
  std::optional<std::string> title_;
  std::shared_ptr<Image> image_;
  BarButtonItemStyle style_ = BarButtonItemStyle::Plain;
  float width_ = 0;
  bool enabled_ = true;
  int tag_ = 0;
  std::shared_ptr<View> customView_;
  std::shared_ptr<View> buttonView_;
  Action action_;
};

}  // namespace zu::ui
