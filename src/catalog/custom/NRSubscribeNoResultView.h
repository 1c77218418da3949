// NRSubscribeNoResultView: what the custom subscription list shows over its table when a search
// found nothing — "很抱歉，我们没有找到符合 <keyword> 的相关内容" with the keyword in its own colour and
// font, and a suggestion below — or, for a QQ-zone search whose keyword is no number, the QQ alert
// alone. The sorry text is an attributed label sized to its text (within 290 × 160).
//
// Where we differ on purpose: a missing keyword shows as "", so the text never reads "(null)".
// Main thread only; the list owns it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/views/View.h"

namespace zu {

namespace ui {
class Label;
}

class RyAttributedLabel;

class NRSubscribeNoResultView : public ui::View {
 public:
  static constexpr const char* kSorryFormat = "很抱歉，我们没有找到符合%@的相关内容";
  static constexpr const char* kSuggestion = "您可以尝试其他关键字，或搜索其他分类。";
  static constexpr const char* kQQAlert = "搜索内容无效，请输入QQ号码进行搜索。";

  explicit NRSubscribeNoResultView(const ui::Rect& frame = ui::Rect());

  // The sorry text for the keyword (put in as " keyword ") and the suggestion.
  void setKeyword(const std::optional<std::string>& keyword);
  // The QQ alert, and no suggestion.
  void setQQAlert();

  const std::shared_ptr<RyAttributedLabel>& sorryLabel() const { return sorryLabel_; }
  const std::shared_ptr<ui::Label>& suggestLabel() const { return suggestLabel_; }
  std::string className() const override { return "NRSubscribeNoResultView"; }

 private:
  void layOut();

  std::shared_ptr<RyAttributedLabel> sorryLabel_;
  std::shared_ptr<ui::Label> suggestLabel_;
};

}  // namespace zu
