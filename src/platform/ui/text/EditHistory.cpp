#include "platform/ui/text/EditHistory.h"

#include "platform/runtime/StringUtil.h"

namespace zu::ui {

namespace {

bool isBlank(const std::string& text) {
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') return false;
  }
  return !text.empty();
}

bool endsBlank(const std::string& text) {
  return !text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n');
}

}  // namespace

bool EditHistory::merge(Kind kind, TextRange range, const std::string& removed, const std::string& inserted,
                        TextRange selectedBefore) {
  if (!open_ || undo_.empty() || kind == Kind::Other || selectedBefore.length > 0) return false;
  Step& last = undo_.back();
  if (last.kind != kind) return false;
  switch (kind) {
    case Kind::Typing:
      // The caret stands where the step's text ends; a word typed after a blank is a step of
      // its own.
      if (range.length != 0 || range.location != last.location + StringUtil::utf16Length(last.inserted)) {
        return false;
      }
      if (endsBlank(last.inserted) && !isBlank(inserted)) return false;
      last.inserted += inserted;
      break;
    case Kind::DeleteBackward:
      if (!inserted.empty() || range.location + range.length != last.location) return false;
      last.location = range.location;
      last.removed.insert(0, removed);
      break;
    case Kind::DeleteForward:
      if (!inserted.empty() || range.location != last.location) return false;
      last.removed += removed;
      break;
    case Kind::Other:
      return false;
  }
  bytes_ += removed.size() + inserted.size();
  return true;
}

void EditHistory::record(Kind kind, TextRange range, const std::string& removed, const std::string& inserted,
                         TextRange selectedBefore) {
  if (applying_) return;
  redo_.clear();
  if (!merge(kind, range, removed, inserted, selectedBefore)) {
    undo_.push_back(Step{kind, range.location, removed, inserted, selectedBefore});
    bytes_ += bytesOf(undo_.back());
  }
  open_ = kind != Kind::Other;
  trim();
}

void EditHistory::trim() {
  // The newest step stays, whatever its size.
  while (undo_.size() > 1 && (undo_.size() > kMaxSteps || bytes_ > kMaxBytes)) {
    bytes_ -= bytesOf(undo_.front());
    undo_.pop_front();
  }
}

void EditHistory::clear() {
  undo_.clear();
  redo_.clear();
  bytes_ = 0;
  open_ = false;
}

bool EditHistory::undo(const std::function<bool(const Change&)>& apply) {
  if (undo_.empty()) return false;
  const Step& last = undo_.back();
  const Change change{TextRange{last.location, StringUtil::utf16Length(last.inserted)}, last.removed,
                      last.selectedBefore};
  applying_ = true;
  const bool applied = apply(change);
  applying_ = false;
  if (!applied) return false;
  // A delegate that set the text meanwhile cleared the history.
  if (undo_.empty()) return true;
  bytes_ -= bytesOf(undo_.back());
  redo_.push_back(std::move(undo_.back()));
  undo_.pop_back();
  open_ = false;
  return true;
}

bool EditHistory::redo(const std::function<bool(const Change&)>& apply) {
  if (redo_.empty()) return false;
  const Step& last = redo_.back();
  const Change change{TextRange{last.location, StringUtil::utf16Length(last.removed)}, last.inserted,
                      TextRange{last.location + StringUtil::utf16Length(last.inserted), 0}};
  applying_ = true;
  const bool applied = apply(change);
  applying_ = false;
  if (!applied) return false;
  if (redo_.empty()) return true;
  undo_.push_back(std::move(redo_.back()));
  redo_.pop_back();
  bytes_ += bytesOf(undo_.back());
  open_ = false;
  trim();
  return true;
}

}  // namespace zu::ui
