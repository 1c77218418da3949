#include "platform/ui/views/ViewTreeDump.h"

#include <cstdio>

#include "platform/ui/views/View.h"

namespace zu::ui {

namespace {

void dump(const View& view, int depth, std::string& out) {
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += view.className();
  out += " frame=" + view.frame().toString();
  if (view.isHidden()) out += " hidden";
  if (view.alpha() != 1) {
    char buf[32];
    std::snprintf(buf, sizeof buf, " alpha=%g", static_cast<double>(view.alpha()));
    out += buf;
  }
  if (view.tag() != 0) out += " tag=" + std::to_string(view.tag());
  out += view.dumpDetails();
  out += '\n';
  for (const auto& sub : view.subviews()) dump(*sub, depth + 1, out);
}

}  // namespace

std::string dumpViewTree(const View& view) {
  std::string out;
  dump(view, 0, out);
  return out;
}

}  // namespace zu::ui
