#include "reading/browser/ArticleHtmlBuilder.h"

#include <cstdio>

#include "common/CommInfo.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "platform/device/DeviceProfile.h"
#include "platform/intl/Regex.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/images/Image.h"
#include "platform/web/WebView.h"
#include "shell/app/MSFontStyle.h"
#include "shell/app/MSSettings.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr const char* kNoPicKey = "kMoreSettingsKeyForNopic";
constexpr const char* kSongFont = "宋体";

// The bundle file of the skin picture `codeName` ("name@2x" on a double-density screen), as the
// web view addresses it (empty when the skin or the bundle lacks it), and its size in points.
struct BundlePicture {
  std::string url;
  ui::Size size;
};

BundlePicture bundlePicture(const char* codeName, bool doubleDensity) {
  auto name = NRSkinManager::sharedManager().imageNameWithCodeName(codeName);
  auto bundle = Bundle::mainBundle();
  if (!name || !bundle) return {};
  std::string base = *name;
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".png") == 0) base.resize(base.size() - 4);
  if (doubleDensity) base += "@2x";
  auto path = bundle->pathForResource(base, "png");
  if (!path) return {};
  BundlePicture picture{web::WebView::fileUrl(*path), {}};
  // The kit's picture of that name is the same file, at the screen's scale (and kept).
  if (auto image = ui::Image::named(*name)) picture.size = image->size();
  return picture;
}

// A length in points as an attribute value ("22", "22.5").
std::string pointsText(float points) {
  const int halves = static_cast<int>(points * 2 + 0.5f);
  return std::to_string(halves / 2) + (halves % 2 ? ".5" : "");
}

// The offset of the character that starts right before byte `at` of UTF-8 text.
size_t previousCharacter(const std::string& text, size_t at) {
  if (at == 0) return 0;
  size_t i = at - 1;
  while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) --i;
  return i;
}

}  // namespace

ArticleHtmlBuilder::Settings ArticleHtmlBuilder::Settings::current(int entryType) {
  Settings settings;
  settings.fontSize = static_cast<int>(DESettings::getFondSize());
  settings.songFont = MSFontStyle::currentFontStyleName() == kSongFont;
  auto engine = gDataEngine();
  const std::string fontPath = engine ? engine->getFontPath(kSongFont) : CommInfo::getFontsDir() + "STSong.ttf";
  settings.fontUrl = web::WebView::fileUrl(fontPath);
  settings.noImage = UserDefaults::standard().boolForKey(kNoPicKey);
  settings.night = MSSettings::valueForNight();
  settings.doubleDensity = DeviceProfile::screenScale() == 2;
  settings.placeholderUrl = bundlePicture("imageKdnrNopicImage", settings.doubleDensity).url;
  const BundlePicture button = bundlePicture("imageKdpwvPresentButton", settings.doubleDensity);
  settings.presentButtonUrl = button.url;
  if (settings.doubleDensity) settings.presentButtonSize = button.size;
  settings.entryType = entryType;
  return settings;
}

std::string ArticleHtmlBuilder::scriptObject(const Settings& settings) {
  const std::string fontFamily =
      settings.songFont ? "{name:'STSong',path:'" + settings.fontUrl + "'}" : std::string("{name:'Heiti'}");
  return "<script>window.vesk= {device:\"IPhone\",version:\"1.1.0\",sdk_version:\"5.0\",lang:\"zh-CN\",fontLevel:" +
         std::to_string(fontLevelFor(settings.fontSize)) + ",protocol:\"1.0.0\",font_family:" + fontFamily +
         ",mode:\"" + (settings.noImage ? "NO_IMAGE" : "NORMAL") + "\",nightMode:\"" +
         (settings.night ? "NIGHT" : "NORMAL") + "\"}</script>";
}

std::string ArticleHtmlBuilder::readOriginalForm(const std::string& buttonUrl, ui::Size buttonSize) {
  std::string size;
  if (buttonSize.width > 0 && buttonSize.height > 0) {
    size = " width=\"" + pointsText(buttonSize.width) + "\" height=\"" + pointsText(buttonSize.height) + "\"";
  }
  return std::string("<table width=\"100%\" align=\"center\" valign=\"middle\"><tr><td align=\"center\" "
                     "valign=\"middle\"><form method=\"get\" action=\"") +
         kReadOriginalSentinel + ";\"><input type=\"image\" src=\"" + buttonUrl + "\"" + size +
         "/></form></td></tr></table><div>&nbsp;</div>";
}

void ArticleHtmlBuilder::wrapBody(std::string& html) {
  if (html.find("<body>") != std::string::npos) return;
  html.insert(0, "<body>");
  html.append("</body>");
}

void ArticleHtmlBuilder::replaceImages(std::string& html, const std::string& placeholderUrl, bool doubleDensity) {
  static const auto expression = Regex::create(kNoImageExpression, Regex::kCaseInsensitive);
  if (!expression) return;
  std::string replacement = "img src='" + placeholderUrl + "'";
  if (doubleDensity) replacement += " srcset='" + placeholderUrl + " 2x'";
  html = expression->replaceAll(html, replacement);
}

void ArticleHtmlBuilder::insertReadOriginal(std::string& html, const std::string& block) {
  const size_t close = html.find("</body>");
  if (close == std::string::npos) {
    html.append(block);
    return;
  }
  // One character back, as the service's pages expect (their "</body>" follows a line break),
  // but never into a tag: after a tag's ">" the block goes right before "</body>".
  const size_t at = close > 0 && html[close - 1] == '>' ? close : previousCharacter(html, close);
  html.insert(at, block);
}

void ArticleHtmlBuilder::insertViewport(std::string& html) {
  const size_t head = html.find("<head>");
  if (head == std::string::npos) {
    html.append(kViewportMeta);
  } else {
    html.insert(head + 6, kViewportMeta);
  }
}

std::optional<ArticleHtmlBuilder::Result> ArticleHtmlBuilder::build(int contentType, const std::string& serverHtml,
                                                                     const Settings& settings) {
  if (contentType != 2 && contentType != 3) return std::nullopt;
  Result result;
  std::string html = serverHtml;
  wrapBody(html);
  html.insert(0, scriptObject(settings));
  if (settings.noImage) replaceImages(html, settings.placeholderUrl, settings.doubleDensity);
  result.stored = html;
  if (!settings.night) {
    if (const size_t body = html.find("<body>"); body != std::string::npos) {
      html.replace(body, 6, "<body style=\"background-color:transparent;\">");
    }
  }
  const int type = settings.entryType;
  if (type != 5 && type != 1 && type != 3) insertReadOriginal(html, readOriginalForm(settings.presentButtonUrl, settings.presentButtonSize));
  if (settings.doubleDensity) insertViewport(html);
  result.page = std::move(html);
  return result;
}

}  // namespace zu
