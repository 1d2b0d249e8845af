#pragma once
// The keys a text field reacts to, as the window reports them to the
// interface, in the order they were pressed (repeats included).
#include <cstdint>

namespace UI {

enum class EditKey : uint8_t { Enter, Escape, Backspace, Delete, Left, Right, Home, End, SelectAll };

struct EditKeyPress {
  EditKey key = EditKey::Enter;
  bool shift = false;  // extends the selection for the caret moves
};

}  // namespace UI
