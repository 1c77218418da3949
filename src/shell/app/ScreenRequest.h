// ScreenRequest: how the shell opens the screens that live in higher layers — the login screen
// ("MoreSettingsLoginViewController"), the user guide ("MoreSettingsUserGuideViewController"),
// the authorisation screen ("AuthenicationViewController"), the in-app browser
// ("WebViewController_New"), a column's article list ("ReportContentController") and the paged
// article browser ("ScrolledNewsBrowseController"), the share screen ("ShareViewController"), the
// comments ("CommentsController"), a reader's profile ("MoreSettingsUserInfoViewController") and the
// picture viewer ("NewPictureViewController"). Each is an interface file of the NibRegistry; the request is the
// file owner, carrying the screen's parameters (keys below) and, for the authorisation screen,
// the return action it performs when finished or cancelled. The file's first top-level view
// controller is the screen. A file that is not registered opens nothing (logged).
//
// Main thread only. The request lives as long as whoever keeps it (builders keep what they
// need of it).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/Object.h"
#include "platform/runtime/Value.h"

namespace zu::ui {
class View;
class ViewController;
class Window;
}  // namespace zu::ui

namespace zu {

class Column;

class ScreenRequest : public Object {
 public:
  static constexpr const char* kLoginNib = "MoreSettingsLoginViewController";
  static constexpr const char* kUserGuideNib = "MoreSettingsUserGuideViewController";
  static constexpr const char* kAuthenticationNib = "AuthenicationViewController";
  static constexpr const char* kBrowserNib = "WebViewController_New";
  static constexpr const char* kArticleListNib = "ReportContentController";
  static constexpr const char* kNewsBrowserNib = "ScrolledNewsBrowseController";
  static constexpr const char* kShareNib = "ShareViewController";
  static constexpr const char* kCommentsNib = "CommentsController";
  static constexpr const char* kUserInfoNib = "MoreSettingsUserInfoViewController";
  static constexpr const char* kPictureViewerNib = "NewPictureViewController";

  ScreenRequest(std::string nibName, Dictionary parameters, std::function<void()> returnAction = {});

  const std::string& nibName() const { return nibName_; }
  // Login: "title", "cancelButtonTitle", "needToAskSync"; guide: "name", "num";
  // authorisation: "accountType"; browser: "link"; article list: "column" (the Column itself)
  // and "title"; news browser: "index" (of the article in the list) and "column"; share:
  // "newsdetail", "newsBrowseController", "father", "postText", "postImageIndex",
  // "useEntryIDForShortUrl"; profile: "userName" and "isLoginUser", or "userInfo"; picture
  // viewer: "summaryArray", "detailIndex", "picIndex" and "delegate" in an album, else "detail",
  // "index" and "summary".
  const Dictionary& parameters() const { return parameters_; }
  const std::function<void()>& returnAction() const { return returnAction_; }
  // The guide: the window it covers (held weakly, so a screen keeping its request keeps no
  // window alive).
  std::shared_ptr<ui::View> coveredView() const { return coveredView_.lock(); }

  // Loads the file with this request as owner; the first top-level view controller, or null.
  std::shared_ptr<ui::ViewController> load();

  // The login screen, presented modally (animated) on `father`; false when nothing was
  // presented (no file, no father, or the father already presents a screen).
  static bool showLogin(const std::string& title, const std::shared_ptr<ui::ViewController>& father,
                        const std::string& cancelButtonTitle, bool needToAskSync);
  // The paged guide of `num` pictures named after `name`, shown over the window's content; the
  // guide keeps itself until it is closed.
  static void createHelpView(const std::string& name, int num, ui::Window& window);
  static std::shared_ptr<ui::ViewController> authentication(int accountType,
                                                            std::function<void()> returnAction);
  static std::shared_ptr<ui::ViewController> browser(const std::string& link);
  static std::shared_ptr<ui::ViewController> articleList(const std::shared_ptr<Column>& column);

 private:
  std::string nibName_;
  Dictionary parameters_;
  std::function<void()> returnAction_;
  std::weak_ptr<ui::View> coveredView_;
};

}  // namespace zu
