// Renderer: the render pass. render(view) lays the tree out (layoutIfNeeded) and composites it
// into a new Image of the view's bounds size, in the view's bounds space (its bounds origin at
// the image's top left). renderScreen() composites the visible windows by level into a
// 320 × 480 image, as the screen shows them: the keyboard (while a view edits text) and the
// status bar (while the application shows it, along the interface's top edge in the status
// bar's orientation) lie above the windows below the status bar's level. A scale of 2 draws twice the pixels (text and paths at that density). drawTree() draws
// a tree into any canvas whose current space is the view's bounds space (snapshots inside a
// drawing, GL page pictures), with its model values, as the phone renders a layer tree into a
// context.
// Main thread, like the views.
//
// What is honoured, per view, back to front: hidden (not drawn, nor its subtree), alpha (the
// view and its subtree are drawn as a group, then faded), the layer's shadow (its rounded
// bounds, offset and blurred by the shadow radius), the background
// colour (rounded by the corner radius), clipping to the (rounded) bounds when clipsToBounds,
// draw(), the subviews through their center, transform and their own bounds origin, then
// drawOverSubviews() (still clipped), and last the layer's border inside the bounds.
//
// render, renderScreen and snapshotTree draw the presentation at the clock's time
// (Presentation): while an animation of a view's frame, bounds, center, transform or alpha runs,
// the view is drawn at its animated value, and a view with a running flip or curl transition is
// drawn by TransitionPainter from its picture before the transition and its content now. A view
// whose bounds are animated is asked to draw into the bounds shown at that moment (so an image
// view's picture follows its size, as the phone stretches a layer's contents, while text is laid
// out at that size rather than squeezed); its subviews are placed by their own animations.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zu::ui {

class Canvas;
class Image;
class View;

// Null when the view's bounds are empty.
std::shared_ptr<Image> render(View& view, float scale = 1);
std::shared_ptr<Image> renderScreen(float scale = 1);
void drawTree(Canvas& canvas, View& view);
// The view's tree as it shows now, like render but without a layout pass (the old content of a
// transition). Null when the view's bounds are empty.
std::shared_ptr<Image> snapshotTree(View& view, float scale = 1);
// render and renderScreen with the text left out (Canvas::TextHiding): what lies under each text,
// for the contrast audit. `textDrawers`, when given, receives every view whose own drawing
// (draw, drawOverSubviews) asked for text — the labels and fields, and views drawing words
// themselves — once each, in drawing order.
std::shared_ptr<Image> renderWithoutText(View& view, float scale = 1,
                                         std::vector<const View*>* textDrawers = nullptr);
std::shared_ptr<Image> renderScreenWithoutText(float scale = 1,
                                               std::vector<const View*>* textDrawers = nullptr);
// Writes `image` as "<name>.png" into the snapshot folder — $ZU_SNAPSHOT_DIR, or snapshots/ in
// the working folder — made when missing, so a person can look at what was rendered (headless
// runs, render tests). Returns the file, or nullopt when it could not be written.
std::optional<std::filesystem::path> writeSnapshot(const Image& image, const std::string& name);

}  // namespace zu::ui
