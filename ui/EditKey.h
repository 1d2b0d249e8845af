#pragma once
// What a text field reads from the keyboard, in the order it happened:
// typed text one UTF-16 code unit at a time, and the editing keys (repeats
// included).
#include <cstdint>

namespace UI {

enum class EditKey : uint8_t { Character, Enter, Escape, Backspace, Delete, Left, Right, Home, End, SelectAll };

struct EditKeyPress {
  EditKey key = EditKey::Enter;
  bool shift = false;  // extends the selection for the caret moves
  char16_t character = 0;  // of a Character
};

}  // namespace UI
