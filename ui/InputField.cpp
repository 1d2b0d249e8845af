#include "ui/InputField.h"

#include <algorithm>
#include <cmath>

namespace UI {

namespace {
constexpr float kInset = 3;  // the box's margin around the letters

bool isSurrogateHigh(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool isSurrogateLow(char16_t c) { return c >= 0xDC00 && c < 0xE000; }
}  // namespace

InputField::InputField(UIContext* context, const Theme* theme)
    : Text(context), theme_(theme), box_(context), selection_(context), caretBar_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  width = 80;
  height = Text::lineHeight(*context);
  box_.parent = this;
  box_.offsetX = -kInset;
  box_.offsetY = -kInset;
  box_.addWidth = box_.addHeight = 2 * kInset;
  box_.roundness = 0.2f;
  for (UIElement* part : {&selection_, &caretBar_}) {
    part->parent = this;
    part->widthMode = SizeMode::Pixels;
    part->height = 1;  // the field's height
  }
  caretBar_.width = 1;
}

bool InputField::numberCharacter(char16_t c) {
  return (c >= u'0' && c <= u'9') || c == u'.' || c == u',' || c == u'-' || c == u'+';
}

void InputField::beginEditing() {
  if (editing_ || !editable) return;
  editing_ = true;
  typed_ = false;
  before_ = text();
  anchor_ = 0;
  caret_ = text().size();
}

void InputField::endEditing(bool commit) {
  if (!editing_) return;
  editing_ = false;
  if (commit && typed_ && text() != before_) {
    if (onCommit) onCommit(text());
    return;
  }
  // Nothing typed, or cancelled: the owner's latest text.
  setText(before_);
  caret_ = anchor_ = text().size();  // the edit's caret may lie past the old text
}

void InputField::showLatest(const std::u16string& latest) {
  if (editing_)
    before_ = latest;
  else if (latest != text())
    setText(latest);
}

float InputField::scrollKeepingCaret() const {
  if (!editing_) return 0;
  const std::vector<float>& pen = penPositions();  // moved left by scrollX
  const float caretAt = pen[std::min(caret_, pen.size() - 1)] + scrollX;
  float scroll = scrollX;
  if (caretAt > scroll + width) scroll = caretAt - width;
  if (caretAt < scroll) scroll = caretAt;
  return std::clamp(scroll, 0.0f, std::max(0.0f, textWidth() - width));
}

size_t InputField::boundaryUnderCursor() const {
  const Rect r = getRect();
  const float scale = context->contentScaleX > 0 ? context->contentScaleX : 1;
  const float x = (context->cursorX - r.x * context->windowWidth) / scale;
  const std::vector<float>& pen = penPositions();
  size_t best = 0;
  for (size_t i = 1; i < pen.size(); ++i)
    if (std::abs(pen[i] - x) < std::abs(pen[best] - x)) best = i;
  // Never between the halves of a surrogate pair.
  if (best > 0 && best < text().size() && isSurrogateLow(text()[best])) --best;
  return best;
}

void InputField::onPress() {
  if (editing_ && !cursorInside()) endEditing(true);
}

void InputField::onPressInside() {
  beginEditing();
  if (!editing_) return;
  caret_ = anchor_ = boundaryUnderCursor();
}

void InputField::onHold() {
  if (editing_ && context->moved && context->cursorX >= 0) caret_ = boundaryUnderCursor();
}

void InputField::moveCaret(size_t to, bool extend) {
  caret_ = std::min(to, text().size());
  if (!extend) anchor_ = caret_;
}

void InputField::replaceSelection(const std::u16string& with) {
  const size_t from = std::min(caret_, anchor_), to = std::max(caret_, anchor_);
  std::u16string next = text().substr(0, from);
  const size_t room = maxLength > text().size() - (to - from) ? maxLength - (text().size() - (to - from)) : 0;
  std::u16string inserted = with.substr(0, room);
  if (!inserted.empty() && isSurrogateHigh(inserted.back())) inserted.pop_back();  // no half pairs
  next += inserted;
  next += text().substr(to);
  setText(std::move(next));
  typed_ = true;
  caret_ = anchor_ = from + inserted.size();
}

void InputField::applyKeyboard() {
  // Typed text goes in a run at a time, so a surrogate pair stays whole.
  std::u16string run;
  auto flush = [&] {
    if (!run.empty()) replaceSelection(run);
    run.clear();
  };
  for (const EditKeyPress& press : context->editKeys) {
    if (!editing_) break;
    if (press.key == EditKey::Character) {
      const char16_t c = press.character;
      const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
      if (!control && (!accepts || accepts(c))) run += c;
      continue;
    }
    flush();
    const size_t size = text().size();
    auto step = [&](size_t at, int direction) {
      size_t next = direction < 0 ? (at > 0 ? at - 1 : 0) : std::min(at + 1, size);
      if (next > 0 && next < size && isSurrogateLow(text()[next])) next += direction < 0 ? -1 : 1;
      return next;
    };
    const bool selected = caret_ != anchor_;
    switch (press.key) {
      case EditKey::Character: break;  // taken above
      case EditKey::Enter: endEditing(true); break;
      case EditKey::Escape: endEditing(false); break;
      case EditKey::Backspace:
        if (!selected) anchor_ = step(caret_, -1);
        replaceSelection(u"");
        break;
      case EditKey::Delete:
        if (!selected) anchor_ = step(caret_, 1);
        replaceSelection(u"");
        break;
      case EditKey::Left: moveCaret(selected && !press.shift ? std::min(caret_, anchor_) : step(caret_, -1), press.shift); break;
      case EditKey::Right: moveCaret(selected && !press.shift ? std::max(caret_, anchor_) : step(caret_, 1), press.shift); break;
      case EditKey::Home: moveCaret(0, press.shift); break;
      case EditKey::End: moveCaret(size, press.shift); break;
      case EditKey::SelectAll: anchor_ = 0, caret_ = size; break;
    }
  }
  if (editing_) flush();
}

void InputField::collect(std::vector<UIInstance>& records, bool snap) {
  if (editing_ && !shown()) endEditing(true);  // a panel closing under the field keeps the edit
  if (editing_) {
    context->keyboardCaptured = true;
    applyKeyboard();
  }
  // Letters outside the field are not drawn; the text moves so that the
  // caret stays inside.
  const float scroll = scrollKeepingCaret();
  if (maxWidth != width || scroll != scrollX) {
    maxWidth = width;
    scrollX = scroll;
    layout();
  }
  box_.colorBottom = box_.colorTop = editing_ ? theme_->hover : theme_->panelEdge;
  box_.visible = editable;
  box_.collect(records, true);
  const std::vector<float>& pen = penPositions();
  const size_t from = std::min(caret_, anchor_), to = std::max(caret_, anchor_);
  // The caret and the selection are drawn only inside the field.
  auto inside = [&](size_t i) { return std::clamp(pen[std::min(i, pen.size() - 1)], 0.0f, width); };
  selection_.visible = editing_ && from != to && inside(to) > inside(from);
  if (selection_.visible) {
    selection_.offsetX = inside(from);
    selection_.width = inside(to) - inside(from);
  }
  selection_.colorBottom = selection_.colorTop = theme_->ticked;
  selection_.collect(records, true);
  caretBar_.visible = editing_ && caret_ < pen.size() && pen[caret_] >= 0 && pen[caret_] <= width;
  if (caretBar_.visible) caretBar_.offsetX = pen[caret_];
  caretBar_.colorBottom = caretBar_.colorTop = theme_->text;
  caretBar_.collect(records, true);
  setColor(theme_->text);
  Text::collect(records, snap);
}

}  // namespace UI
