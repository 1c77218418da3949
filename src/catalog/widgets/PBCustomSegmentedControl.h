// PBCustomSegmentedControl: a segmented control drawn entirely from per-segment images. Each
// segment is a custom Button with a normal and a selected background, a title and per-state title
// colours and shadows; the selected segment is shown by disabling its button, so it takes the
// disabled look and ignores touches. The search header shows its scopes with it and the feedback
// screen its question types. Main thread; made with std::make_shared; it owns its buttons.
//
// Behaviour callers rely on:
//  - Inserting clamps the index (below 0 → first, past the end → last), leaves the selection as
//    it is, and makes the control exactly as wide as its buttons whatever frame it was given.
//  - setSelectedSegmentIndex sends value-changed on every call, also for the index already
//    selected, so a caller can select the current segment again to re-run its handler. A
//    touch-down on another segment selects it.
//  - Only value-changed can be registered, and only one receiver at a time (a new one replaces
//    the old); registrations for other events are ignored.
//  - Layout puts the segments left to right; the selected one is widened by its outbound width
//    on each side that has a neighbour and brought to the front.
//
// Where we differ on purpose: selecting enables every other segment, not only the one selected
// before, so an insertion before the selection can never leave two segments disabled; an index
// naming no segment changes nothing and sends nothing.
#pragma once

#include <memory>
#include <vector>

#include "catalog/widgets/PBSegmentInfo.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/text/Font.h"

namespace zu {

class PBCustomSegmentedControl : public ui::Control {
 public:
  explicit PBCustomSegmentedControl(const ui::Rect& frame = ui::Rect());

  void insertSegmentWithSegmentInfo(const PBSegmentInfo& info, int index);
  void removeSegments();

  int selectedSegmentIndex() const { return selectedSegmentIndex_; }
  void setSelectedSegmentIndex(int index);
  int numberOfSegments() const { return static_cast<int>(segments_.size()); }

  // The segment's button (for tests and for callers that style one segment); null when the index
  // names no segment.
  std::shared_ptr<ui::Button> segmentButton(int index) const;

  // Registers `action` as the one value-changed receiver when `events` include value-changed;
  // other events register nothing. (It hides Control's addTarget: register through this class.)
  void addTarget(const void* key, unsigned events, Action action);

  const ui::Font& titleFont() const { return titleFont_; }
  void setTitleFont(const ui::Font& font);
  const ui::Color& normalColor() const { return normalColor_; }
  void setNormalColor(const ui::Color& color);
  const ui::Color& selectedColor() const { return selectedColor_; }
  void setSelectedColor(const ui::Color& color);
  const ui::Color& normalShadowColor() const { return normalShadowColor_; }
  void setNormalShadowColor(const ui::Color& color);
  const ui::Color& selectedShadowColor() const { return selectedShadowColor_; }
  void setSelectedShadowColor(const ui::Color& color);
  ui::Size normalShadowOffset() const { return normalShadowOffset_; }
  void setNormalShadowOffset(ui::Size offset);
  ui::Size selectedShadowOffset() const { return selectedShadowOffset_; }
  void setSelectedShadowOffset(ui::Size offset);

  void layoutSubviews() override;
  std::string className() const override { return "PBCustomSegmentedControl"; }

 private:
  bool names(int index) const { return index >= 0 && index < numberOfSegments(); }
  // A touch-down on one of the buttons.
  void segmentAction(const ui::Control& button);
  void adjustWidth();

  std::vector<std::shared_ptr<ui::Button>> segments_;
  std::vector<PBSegmentInfo> segmentInfos_;
  int selectedSegmentIndex_ = 0;
  Action valueChangedAction_;
  ui::Font titleFont_;
  ui::Color normalColor_;
  ui::Color selectedColor_;
  ui::Color normalShadowColor_;
  ui::Color selectedShadowColor_;
  ui::Size normalShadowOffset_;
  ui::Size selectedShadowOffset_;
};

}  // namespace zu
