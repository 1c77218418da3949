// SegmentedControl: a row of segments (titles or images) of which one may be selected. A
// Control; made with std::make_shared; main thread only.
//
// Kept from the phone:
//  - selectedSegmentIndex is kNoSegment (−1) when none; setting it by code sends nothing.
//  - A touch that goes down on an enabled segment selects it and sends ValueChanged when the
//    selection changed; a momentary control sends it on every touch and keeps no selection.
//  - Segments share the width equally unless given a width; inserting or removing segments
//    keeps the selected segment selected (removing it clears the selection).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/controls/Control.h"

namespace zu::ui {

class Image;

enum class SegmentedControlStyle { Plain = 0, Bordered = 1, Bar = 2, Bezeled = 3 };

class SegmentedControl : public Control {
 public:
  static constexpr int kNoSegment = -1;

  explicit SegmentedControl(std::vector<std::string> titles = {});
  ~SegmentedControl() override;

  int numberOfSegments() const { return static_cast<int>(segments_.size()); }
  // `index` past the end appends.
  void insertSegmentWithTitle(std::string title, int index, bool animated = false);
  void insertSegmentWithImage(std::shared_ptr<Image> image, int index, bool animated = false);
  void removeSegment(int index, bool animated = false);
  void removeAllSegments();
  std::optional<std::string> titleForSegment(int index) const;
  void setTitle(std::string title, int index);
  std::shared_ptr<Image> imageForSegment(int index) const;
  void setImage(std::shared_ptr<Image> image, int index);
  bool isEnabledForSegment(int index) const;
  void setEnabledForSegment(bool enabled, int index);
  float widthForSegment(int index) const;
  void setWidth(float width, int index);

  int selectedSegmentIndex() const { return selected_; }
  void setSelectedSegmentIndex(int index);
  bool isMomentary() const { return momentary_; }
  void setMomentary(bool momentary) { momentary_ = momentary; }
  SegmentedControlStyle segmentedControlStyle() const { return style_; }
  void setSegmentedControlStyle(SegmentedControlStyle style);
  const std::optional<Color>& tintColor() const { return tint_; }
  void setTintColor(std::optional<Color> tint);

  // The frame of segment `index` in the control's bounds.
  Rect segmentFrame(int index) const;
  // A touch going down on segment `index`; false when it is disabled or absent.
  bool tapSegment(int index);

  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 private:
  struct Segment {
    std::optional<std::string> title;
    std::shared_ptr<Image> image;
    bool enabled = true;
    float width = 0;
  };
  void insert(Segment segment, int index);

  std::vector<Segment> segments_;
  int selected_ = kNoSegment;
  bool momentary_ = false;
  SegmentedControlStyle style_ = SegmentedControlStyle::Plain;
  std::optional<Color> tint_;
};

}  // namespace zu::ui
