// Random UTF-16 through the interface's text paths: the host's string
// record (every slot pointing into the input, unpaired surrogates and
// controls included), the characters an atlas would hold, a Text laid out
// with any alignment and maximum width, and the information panel showing
// it as a tool name, and a text field edited by the input read as a stream
// of typed units and editing keys. Nothing may crash or read outside the
// input; the field's caret and selection stay inside its text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "korvane/Korvane.h"
#include "ui/FontAtlas.h"
#include "ui/Information.h"
#include "ui/InputField.h"
#include "ui/ProcessStrings.h"
#include "ui/StringTable.h"
#include "ui/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const UI::FontAtlas atlas = UI::buildFontAtlas(UI::englishStrings(), u"", false, 96);
  if (size < 2) return 0;
  const uint8_t settings = data[0];
  std::u16string text((size - 1) / 2, u'\0');
  std::memcpy(text.data(), data + 1, text.size() * 2);

  // The host record: slots split the input at its zero units.
  SIM_StringRecord record{};
  const std::u16string terminated = text + u'\0';
  size_t slot = 0;
  for (size_t start = 0; start < terminated.size() && slot < SIM_STRING_SLOTS; ++slot) {
    record.text[slot] = settings & 1 ? nullptr : terminated.c_str() + start;
    const size_t end = terminated.find(u'\0', start);
    start = end + 1;
  }
  SIM_SetStrings(&record);
  const SIM_StringRecord back = SIM_GetStrings();
  for (const SIM_Char16* t : back.text)
    if (!t) __builtin_trap();
  const UI::ProcessStrings::ForView forView = UI::ProcessStrings::instance().forNewView();
  (void)UI::atlasCharacters(forView.table, text);
  UI::ProcessStrings::instance().reset();

  UI::UIContext context;
  context.windowWidth = 640, context.windowHeight = 480;
  context.glyphs = &atlas;
  UI::Text line(&context);
  line.alignment = settings % 3;
  line.maxWidth = static_cast<float>(settings >> 2) * 4;
  line.setText(text);
  std::vector<UI::UIInstance> records;
  line.collect(records);
  if (records.size() != line.visibleCount() || line.penPositions().size() != text.size() + 1) __builtin_trap();

  const UI::Theme theme = UI::Theme::dark();
  UI::Information panel(&context, &theme, &UI::englishStrings());
  UI::InformationValues values;
  values.hasToolpath = settings & 2;
  values.tool = text;
  values.operation = text.substr(0, text.size() / 2);
  panel.setValues(values);
  records.clear();
  panel.collect(records);

  // Units below 20 are editing keys (bit 0: with Shift), the rest typed.
  UI::InputField field(&context, &theme);
  field.maxLength = 1 + settings % 64;
  if (settings & 4) field.accepts = UI::InputField::numberCharacter;
  UI::FrameInput input;
  input.windowWidth = 640, input.windowHeight = 480;
  for (size_t i = 0; i < text.size(); i += 8) {
    input.editKeys.clear();
    for (size_t k = i; k < std::min(text.size(), i + 8); ++k) {
      const char16_t u = text[k];
      if (u < 20)
        input.editKeys.push_back({static_cast<UI::EditKey>(1 + (u >> 1) % 9), (u & 1) != 0, 0});
      else
        input.editKeys.push_back({UI::EditKey::Character, false, u});
    }
    context.beginFrame(input);
    field.beginEditing();
    records.clear();
    field.collect(records);
    const size_t length = field.text().size();
    if (length > field.maxLength || field.caret() > length || field.selectionAnchor() > length) __builtin_trap();
  }
  return 0;
}
