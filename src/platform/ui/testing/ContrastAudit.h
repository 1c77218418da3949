// ContrastAudit: test support that checks every text of a view tree can be read against what is
// drawn under it. Used by the screen tests through snapshot()/snapshotScreen(), which render a
// tree (or the screen), audit it, fail the running test for every unreadable text (naming the
// picture, the text and its ratio), write the picture, and append the tallies to
// "contrast-audit.tsv" in the snapshot folder. Main thread, like the views; nothing is kept.
//
// What is measured, per visible text (labels — button titles among them —, text fields, text
// views; hidden subtrees, empty texts and texts outside the picture are not texts on screen):
//  - the background is read from one more render of the same tree with all text left out
//    (renderWithoutText): within the pixels where the text shows (where the two pictures differ,
//    inside the view), the colour that covers most of them, after grouping near colours;
//  - the text's colour is the colour the view draws it in (highlighted, disabled at half alpha,
//    the field's placeholder grey), faded by the alpha of the view and its ancestors, over that
//    background;
//  - a field's or text view's text mostly selected is measured on its selection's highlight, in
//    the colour the view draws selected text in;
//  - the ratio is the WCAG contrast ratio, (L1 + 0.05) / (L2 + 0.05) of relative luminances.
// Required: 4.5, or 3 for large text (18 points, or bold from 14 points); 3 for placeholders
// (a field's placeholder, a label inside a text field or view) and for disabled controls.
//
// What cannot be measured is counted as skipped, by reason, never passed: web pages ("web
// page"), views that draw words themselves ("custom drawing"), buttons drawn from a picture with
// no title ("picture button": any words are in the picture), texts with nothing drawn under
// them ("no background"), texts that what is drawn later covers (Occlusion: opaque grounds
// holding half of them or more — a text scrolled beneath a bar, under the keyboard or an
// alert's panel) or that no pixel of shows though their colours differ enough that it would
// ("covered"), and texts under a translucent view laid over them so, the dimmed screen below an
// alert or sheet or a translucent bar ("under a translucent layer"). A text whose own colour is
// the background's is measured (1:1), not called covered.
//
// Pairs whose two colours are fixed by the product's look (the text's colour and its ground) are
// on an allow-list (kAllowed in the .cpp, each with the place it applies to and why; a ground that
// is a gradient picture matched within a few steps of each channel): below the bar they are
// reported apart, not failed.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/Geometry.h"

namespace zu::ui {

class Image;
class View;

class ContrastAudit {
 public:
  struct Finding {
    std::string text;
    std::string kind;  // "label", "button title", "text field", "placeholder", "text view"
    float ratio = 0;
    float required = 0;
    Color textColor;
    Color background;
    Rect frame;               // where the text shows, in the picture's points
    std::string where;        // the classes from the root down to the text's view
    std::string allowedBecause;  // set when the pair is on the allow-list
    std::string describe() const;
  };
  struct Report {
    std::string screen;
    int checked = 0;
    std::map<std::string, int> skipped;
    std::vector<Finding> allowed;
    std::vector<Finding> failures;
    std::optional<Finding> lowest;  // the lowest ratio among the checked texts not allow-listed
    double seconds = 0;             // what the audit took (its render and the measuring)
    std::string summary() const;
  };

  // Audits the tree of `root` as `picture` (render(root, scale)) shows it.
  static Report audit(View& root, const Image& picture, const std::string& screen);
  // Audits the visible windows as `picture` (renderScreen(scale)) shows them.
  static Report auditScreen(const Image& picture, const std::string& screen);

  // The contrast of a mark drawn without words (an icon, a check mark) with its ground, within
  // `where` (the picture's points): the ground is the colour that covers most of it, the mark
  // the colour, among those covering a hundredth of it, that stands out most from it.
  static float markContrast(const Image& picture, const Rect& where);

  static float relativeLuminance(const Color& color);
  static float contrastRatio(const Color& a, const Color& b);

  // Renders `root` (or the screen), audits it, fails the running test for each failure, writes
  // "<name>.png" and logs the tallies. Returns the picture (null when nothing could be drawn).
  static std::shared_ptr<Image> snapshot(View& root, const std::string& name, float scale = 1);
  static std::shared_ptr<Image> snapshotScreen(const std::string& name, float scale = 1);
  // For a picture a test has already made with render(root) / renderScreen(): audits it as
  // snapshot() does, then writes it as "<name>.png".
  static std::optional<std::filesystem::path> write(View& root, const Image& picture, const std::string& name);
  static std::optional<std::filesystem::path> writeScreen(const Image& picture, const std::string& name);
  // Fails the running test for each failure of `report` and logs its tallies.
  static void expectReadable(const Report& report);
};

}  // namespace zu::ui
