// SectorController: lays one article summary (title, source line, summary text, thumbnail) out in
// one sector of a magazine-style page, choosing font sizes and text lengths so everything fits.
// It owns a SectorView (which draws the dock's border lines) and, 5 points inside it, a clear
// content area that holds the labels and the picture. No screen makes one yet: a page builder
// would cut a page into Sectors and give each controller a NewSummary through setData.
//
// The style comes from the entry status: type 2 → 18, 1 → 17, another non-zero type keeps the
// style given at creation; type 0 → 3 (summary and thumbnail), 1 (summary), 2 (thumbnail), else
// kept. A summary without an entry-status record counts as type 0. Styles 17–19 take the photo layout (the picture over the whole area with a half-black
// caption bar); the others a fixed layout (the sector fixes the picture's rectangle) or a free
// one (the picture sized from the thumbnail), each with or without the summary text. A summary
// of nothing but blanks and line breaks counts as none. Text is measured with the kit's
// TextMetrics, the same metrics the labels draw with.
//
// Pictures come from the engine's image cache (gDataEngine()->getImageLocalPath); until the
// thumbnail is there the sector shows "imageloadingbj.png" with a grey spinner, and replaces it
// when "COLOMNSECTORIMGUPDATENotification" names the summary's `imageurl` under "IMGURL_HREF",
// then tells the delegate (updateGridView). A notification for another address is ignored.
//
// The free layouts' fine adjustments are ours (the rest follows the rules written in the code):
//  - Without summary, the title is fitted into the text area less the source line (its height
//    and a 5-point gap) and the source line goes 5 points below the title. With the text above
//    or below the picture, the picture then takes exactly the height the text leaves: it grows
//    into free height, or shrinks when title and source line overflow; a shrink of more than a
//    fifth of its height makes the layout the photo layout. Beside the text the picture stays.
//  - With summary, location 2 puts the summary's second column at the left of the picture
//    (x 10); location 3 (picture on top) has no second column. A summary that fits the band
//    whole fills the first label alone (the length search stops one character short of it).
//
// Where we differ on purpose: a missing thumbnail record, or one whose width or height is 0,
// means no picture (cover scale 1, free picture size 0) instead of a division by zero; the title
// size search stops doubling once the size passes 48 / 0.9, since an area taller than the
// 1024-point measure would otherwise never stop it.
//
// Main thread only. The controller observes the picture notification from its creation until it
// is destroyed; it keeps its summary, fonts and sector; the delegate is not retained.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/text/Font.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu {

class NewSummary;
class NewsSummary;
class Sector;
class SectorControllerDelegate;
class SectorView;
struct Notification;
namespace ui {
class Image;
class ImageView;
class Label;
}  // namespace ui

class SectorController : public ui::ViewController {
 public:
  static constexpr const char* kImageUpdateNotification = "COLOMNSECTORIMGUPDATENotification";
  static constexpr const char* kImageUrlKey = "IMGURL_HREF";

  static std::shared_ptr<SectorController> create(const ui::Rect& frame,
                                                  std::weak_ptr<SectorControllerDelegate> delegate,
                                                  int newsType, int dockType,
                                                  std::shared_ptr<Sector> sector);
  ~SectorController() override;

  // Chooses the style from the entry status and lays `data` out.
  void setData(std::shared_ptr<NewSummary> data);
  // A picture has arrived in the image cache (the notification's handler).
  void sectorImageUpdate(const Notification& notification);

  // The layouts, each for the content area's rectangle.
  void initPhotoToRect(const ui::Rect& rect);
  void initContentToRect(const ui::Rect& rect);
  void drawRectImageFixedWithoutSummary(const ui::Rect& rect);
  void drawRectImageFixedWithSummary(const ui::Rect& rect);
  void drawRectImageFreeWithoutSummary(const ui::Rect& rect);
  void drawRectImageFreeWithSummary(const ui::Rect& rect);

  static bool isRectValid(const ui::Rect& rect);
  // The title's font size for an area of `size`: 21 for an empty area; else the largest size
  // whose height (summary face, within the width and 1024 high) stays within the area, × 0.9
  // truncated, at most 48.
  int binSearchTitleFontSize(const std::optional<std::string>& text, ui::Size size) const;
  // An index i such that the first i + 1 characters (UTF-16 units) of `text` fit `size.height`
  // at the summary font within `width`; 0 for a text of one character or none.
  size_t binSearchTextLength(const std::string& text, ui::Size size, float width) const;
  // The middle of `image` that, scaled by `scale`, covers `size`.
  static std::shared_ptr<ui::Image> getImageFromImage(const ui::Image& image, ui::Size size,
                                                      float scale);

  int new_style() const { return newStyle_; }
  const std::shared_ptr<NewSummary>& sdata() const { return sdata_; }
  const std::shared_ptr<SectorView>& sectorView() const { return sectorView_; }
  const std::shared_ptr<ui::View>& containerView() const { return containerView_; }
  const std::shared_ptr<ui::ImageView>& labelImage() const { return labelImage_; }
  const std::shared_ptr<Sector>& sector() const { return sector_; }
  const ui::Font& titleFont() const { return titleFont_; }

 private:
  SectorController(const ui::Rect& frame, std::weak_ptr<SectorControllerDelegate> delegate,
                   int newsType, int dockType, std::shared_ptr<Sector> sector);

  struct TextArea {
    ui::Rect picture;
    ui::Rect text;
    float scale = 1;
  };
  // The fixed layouts' picture, its cover scale and the text area.
  TextArea fixedArea(const ui::Rect& rect) const;
  // The thumbnail's pixel size, (0, 0) without a usable record.
  ui::Size thumbnailSize() const;
  // The scale that makes the thumbnail cover (w, h); 1 without a usable thumbnail.
  float coverScale(float w, float h) const;
  std::optional<std::string> thumbnailUrl() const;
  std::string sourceLine() const;
  std::optional<std::string> summaryText() const;
  ui::Size measure(const std::string& text, const ui::Font& font, ui::Size constraint,
                   ui::LineBreakMode mode) const;

  void fillImage(const ui::Rect& rect, float scale);
  std::shared_ptr<ui::Label> fillLabel(const ui::Rect& rect, const std::string& text,
                                       ui::LineBreakMode mode, const ui::Font& font,
                                       const ui::Color& color);
  void clearContent();

  std::weak_ptr<SectorControllerDelegate> delegate_;
  std::shared_ptr<Sector> sector_;
  std::shared_ptr<SectorView> sectorView_;
  std::shared_ptr<ui::View> containerView_;
  std::shared_ptr<ui::ImageView> labelImage_;
  std::shared_ptr<NewSummary> sdata_;
  int newStyle_;
  ui::Font titleFont_;
  ui::Font fromFont_;
  ui::Font summaryFont_;
  ui::Font photoTitleFont_;
};

}  // namespace zu
