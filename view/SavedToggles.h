#pragma once
// The display choices a view keeps from one use of the program to the next
// ("setup.bin" in the settings folder): the answers of the questions that
// carry user choices, written when a view closes and read when the next one
// is made; and four display bytes (the cut stock shown, the navigation
// mode, the second grid mode's state, which this view does not have and
// keeps at 0, and the grid shown).
//
// The answers are applied once the window exists: each sets the state its
// question reads, so that the question answers the stored value. The grid
// travels in the bytes alone.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>

#include "formats/SetupFile.h"

struct Render;

namespace view {

// The question codes whose state a saved answer can set.
std::span<const uint32_t> savedQuestionCodes();

// The view's answers and bytes as the file keeps them.
formats::SetupState currentSetup(Render& view);
// The bytes, at construction.
void applySetupBytes(Render& view, const std::array<uint8_t, 4>& bytes);
// The answers, once the window exists; codes without a setter are skipped.
void applySavedAnswers(Render& view, const std::map<uint32_t, bool>& answers);

// The settings folder's file; defaults (none) when it is missing or not a
// whole file of its layout.
std::optional<formats::SetupState> readSetupFile();
// Written beside the old file and renamed over it; errors are swallowed.
void writeSetupFile(const formats::SetupState& state);

}  // namespace view
