// BarStyle: the look of navigation bars, toolbars and search bars, with the phone's numbers.
#pragma once

namespace zu::ui {

enum class BarStyle { Default = 0, Black = 1, BlackTranslucent = 2 };

}  // namespace zu::ui
