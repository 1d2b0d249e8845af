#pragma once
// The arithmetic of playback: how fast the position runs for a speed
// slider value, how far one frame moves it, how SIM_UpdateSpeed moves the
// speed slider, and what position a host's progress value asks for.
#include <cstdint>
#include <optional>

namespace toolpath {
class Toolpath;
}

namespace view {

// The speed slider's marks: no movement at the neutral mark, real time at
// the second one.
inline constexpr double kSpeedNeutral = 0.35;
inline constexpr double kSpeedRealTime = 0.58;
// The speed slider's length in pixels while no interface draws it; the last
// six pixels of it play without limit.
inline constexpr float kSpeedSliderPixels = 200.0f;

// Toolpath time units per second of frame time for speed slider value v on a
// slider of the given pixel length; the largest double in the last 6 pixels.
double playbackRate(double v, float sliderPixels = kSpeedSliderPixels);

// How far one frame moves the position (a fraction of the toolpath's total
// time). frameRatio is the last frame's length over the frame interval.
double positionAdvance(double rate, double frameRatio, double intervalMs, std::optional<double> totalTime);

// The speed slider's value after SIM_UpdateSpeed(delta): each half of the
// slider keeps its values.
double speedAfterUpdate(double v, double delta);

// The time fraction SIM_SetProgress(value, mode) asks for; none for an
// unknown mode. Without a toolpath only mode 0 gives other than 0.
std::optional<double> progressTarget(const toolpath::Toolpath* path, double value, int32_t mode);

}  // namespace view
