// dumpViewTree: a text picture of a view tree, one line per view, indented two spaces per
// level, back to front:
//   View frame={0, 0, 320, 480}
//     Label frame={10, 10, 100, 20} text="标题"
//     ImageView frame={0, 40, 320, 200} hidden alpha=0.5 tag=7 image=cover.png
// Always the class and frame; "hidden", "alpha=", "tag=" only when not the default; then what
// the view's class adds (View::dumpDetails: text, image per state…). For tests that compare a
// screen with expected text and for reading a screen in a terminal. Main thread.
#pragma once

#include <string>

namespace zu::ui {

class View;

std::string dumpViewTree(const View& view);

}  // namespace zu::ui
