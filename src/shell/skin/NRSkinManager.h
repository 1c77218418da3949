// NRSkinManager: the current skin's images, fonts, colours, shadow offsets and settings by code
// name ("imageKdpNavigationBarBackground", "colorKdmsCellTitle", ...), and the routines that
// dress navigation bars, items, search bars and cell accessories in it. One per process,
// made on the first sharedManager() under a lock (two first callers get one manager); used on
// the main thread.
//
// A skin is four bundle property lists, "skinImages", "skinFonts", "skinColors" and
// "skinOthers" followed by the skin name ("Default", "Night"). The manager keeps the current
// skin's lists and, apart, the "Default" ones: every lookup but sizeWithCodeName asks the
// current list first and "Default" second, so a skin carries only what differs. A missing list of
// another skin is replaced by "Default"'s of the same kind; a missing "Default" list, or one whose
// root is not a dictionary, answers nothing (null, zero). An image whose file is missing falls
// back to "Default"'s image for the code name. Entries of a form a kind does not define (a font
// that is an array, a colour that is a number) count as missing. A missing colour or font is
// none: the routines here leave what they dress with its own, never a stand-in such as black
// or a 12-point font. The skin name lives in the
// display settings; changeSkin stores it and reloads the current lists only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/Value.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/text/Font.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/controls/Control.h"

namespace zu::ui {
class BarButtonItem;
class Image;
class ImageView;
class Label;
class NavigationBar;
class NavigationController;
class NavigationItem;
class SearchBar;
}  // namespace zu::ui

namespace zu {

class NRSkinManager {
 public:
  // Marks the skinned title label in a navigation bar and the skin's background view in a
  // search bar.
  static constexpr int kTitleTag = 20120217;
  static constexpr int64_t kBackButtonType = 10000;
  static constexpr int64_t kDoneButtonType = 10001;

  static NRSkinManager& sharedManager();
  // Drops the shared manager, so the next sharedManager() loads the lists again (tests that
  // swap the bundle).
  static void resetForTesting();

  void changeSkin(const std::string& skinName);
  std::string skinName() const;

  std::shared_ptr<ui::Image> imageWithCodeName(std::string_view codeName) const;
  std::optional<std::string> imageNameWithCodeName(std::string_view codeName) const;
  std::optional<ui::Font> fontWithCodeName(std::string_view codeName) const;
  // The regular system font at the entry's size, whatever the entry says about weight or name.
  std::optional<ui::Font> boldFontWithCodeName(std::string_view codeName) const;
  std::optional<ui::Color> colorWithCodeName(std::string_view codeName) const;
  // The current skin's others list only: a zero size when it lacks the entry.
  ui::Size sizeWithCodeName(std::string_view codeName) const;
  int64_t activityIndicatorViewStyle() const;

  void setCurrentBackgroundImageOfNavigationBar(ui::NavigationBar& bar) const;
  void setCurrentBarBackgroundImageOfNavigationController(ui::NavigationController& controller) const;
  void setNavigationBarBackgroundImage(ui::NavigationBar& bar, const std::shared_ptr<ui::Image>& image) const;
  void setNavigationControllerBarBackgroundImage(ui::NavigationController& controller,
                                                 const std::shared_ptr<ui::Image>& image) const;

  // Type kBackButtonType: the back images; any other type: the done images.
  std::shared_ptr<ui::BarButtonItem> barButtonItemWithTitle(const std::optional<std::string>& title,
                                                            int64_t type, const void* target,
                                                            ui::Control::Action action) const;
  std::shared_ptr<ui::BarButtonItem> barButtonItemWithTitle(
      const std::optional<std::string>& title, const std::shared_ptr<ui::Image>& normalImage,
      const std::shared_ptr<ui::Image>& highlightedImage, const void* target,
      ui::Control::Action action) const;

  void setCurrentSkinTitleNavigationItem(const std::string& title, ui::NavigationItem& item) const;
  std::string currentSkinTitleOfNavigationItem(const ui::NavigationItem& item) const;
  void setCurrentSkinTitleNavigationBar(const std::string& title, ui::NavigationBar& bar) const;
  std::string currentSkinTitleOfNavigationBar(ui::NavigationBar& bar) const;

  std::shared_ptr<ui::ImageView> skinDisclosureIndicatorImageView() const;
  std::shared_ptr<ui::ImageView> skinCheckMarkImageView() const;

  // From system version 5.0 the bar's own background, icon and field images; below it an image
  // view tagged kTitleTag (inserted once, above the bar's background) and the images put on its
  // text fields' backgrounds, left views and right views. Both give the fields the skin's text
  // colour.
  void setCurrentSkinOfSearchBar(ui::SearchBar& bar) const;

 private:
  NRSkinManager();

  struct Lists {
    std::optional<Dictionary> images;
    std::optional<Dictionary> fonts;
    std::optional<Dictionary> colors;
    std::optional<Dictionary> others;
  };
  static Lists loadLists(const std::string& skinName);
  static std::optional<Dictionary> dictionaryForPlistName(const std::string& kind,
                                                          const std::string& skinName);
  template <typename Lookup>
  auto lookUp(std::optional<Dictionary> Lists::*kind, Lookup lookup) const -> decltype(lookup(nullptr));
  void styleTitleLabel(ui::Label& label, const std::string& title) const;

  Lists current_;
  Lists default_;
};

}  // namespace zu
