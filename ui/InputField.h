#pragma once
// A one-line text field. A press inside starts editing with the caret at
// the nearest letter boundary; dragging selects. While editing it takes the
// frame's typed text and keys: characters replace the selection, Backspace
// and Delete remove, Left, Right, Home and End move the caret (with Shift
// they extend the selection), Ctrl+A selects all, Enter or a press outside
// commits, Escape restores the text editing began with. A filter can refuse
// characters (a number field) and the length is capped. A text longer than
// the field moves sideways to keep the caret inside.
#include <functional>
#include <string>

#include "ui/Text.h"
#include "ui/Theme.h"

namespace UI {

class InputField : public Text {
 public:
  InputField(UIContext* context, const Theme* theme);

  // Told the new text when an edit ends with a change.
  std::function<void(const std::u16string& text)> onCommit;
  // Whether a character may be typed; everything printable when unset.
  std::function<bool(char16_t c)> accepts;
  size_t maxLength = 256;  // code units
  bool editable = true;    // a read-only field shows its text and takes no edit

  bool editing() const { return editing_; }
  // Caret and the other end of the selection, in code units.
  size_t caret() const { return caret_; }
  size_t selectionAnchor() const { return anchor_; }
  void beginEditing();
  // Ends editing: a committed change stays and goes to onCommit; otherwise
  // the field shows what it showed before, or the latest text its owner
  // gave meanwhile.
  void endEditing(bool commit);
  // The owner's current text: shown at once, or when an edit ends without
  // a change.
  void showLatest(const std::u16string& latest);

  void onPress() override;
  void onPressInside() override;
  void onHold() override;
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  // A field that accepts a signed decimal number.
  static bool numberCharacter(char16_t c);

 private:
  // How far the text must move left for the caret to lie inside the field
  // (no further than its end needs); 0 when not editing.
  float scrollKeepingCaret() const;
  // The letter boundary nearest the cursor.
  size_t boundaryUnderCursor() const;
  void applyKeyboard();
  void replaceSelection(const std::u16string& with);
  void moveCaret(size_t to, bool extend);

  const Theme* theme_;
  UIElement box_, selection_, caretBar_;
  bool editing_ = false;
  std::u16string before_;  // the text when editing began, or the owner's latest since
  bool typed_ = false;     // the edit changed the text
  size_t caret_ = 0, anchor_ = 0;
};

}  // namespace UI
