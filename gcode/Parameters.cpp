#include "Parameters.h"

#include "Error.h"

namespace korvane::gcode {

Parameters::Parameters(const PublishedValues& published) : numbered_(kHighest + 1, 0.0), published_(published) {}

bool Parameters::readOnly(int number) {
  return number == 0 || (number >= 5400 && number <= 5413) || (number >= 5420 && number <= 5428);
}

double Parameters::value(const ParameterRef& ref, size_t column) const {
  if (ref.named()) {
    if (const std::optional<double> p = published_.named(ref.name)) return *p;
    const std::map<std::string, double>& names = global(ref.name) ? globals_ : top_.locals;
    const auto it = names.find(ref.name);
    if (it == names.end()) throw LineError(column, "#<" + ref.name + "> is not set");
    return it->second;
  }
  if (ref.number < 0 || ref.number > kHighest)
    throw LineError(column, "parameter #" + std::to_string(ref.number) + " is out of range (0 to 5602)");
  if (ref.number >= 1 && ref.number <= kArguments) return top_.arguments[size_t(ref.number - 1)];
  if (ref.number != 0 && readOnly(ref.number)) return published_.numbered(ref.number);
  return numbered_[size_t(ref.number)];
}

bool Parameters::exists(const std::string& name) const {
  if (published_.named(name)) return true;
  return global(name) ? globals_.count(name) != 0 : top_.locals.count(name) != 0;
}

void Parameters::set(const ParameterRef& ref, double value, size_t column) {
  if (ref.named()) {
    if (published_.named(ref.name)) throw LineError(column, "#<" + ref.name + "> is read-only");
    (global(ref.name) ? globals_ : top_.locals)[ref.name] = value;
    return;
  }
  if (ref.number < 0 || ref.number > kHighest)
    throw LineError(column, "parameter #" + std::to_string(ref.number) + " is out of range (0 to 5602)");
  if (readOnly(ref.number)) throw LineError(column, "parameter #" + std::to_string(ref.number) + " is read-only");
  if (ref.number <= kArguments)
    top_.arguments[size_t(ref.number - 1)] = value;
  else
    numbered_[size_t(ref.number)] = value;
}

void Parameters::enterCall(const std::vector<double>& arguments, size_t column) {
  if (frames_.size() >= kMaxCallDepth)
    throw LineError(column, "subroutines call each other deeper than " + std::to_string(kMaxCallDepth));
  if (arguments.size() > kArguments) throw LineError(column, "a call passes more than 30 arguments");
  frames_.push_back(std::move(top_));
  top_ = Frame{};
  for (size_t i = 0; i < arguments.size(); ++i) top_.arguments[i] = arguments[i];
}

void Parameters::leaveCall() {
  if (frames_.empty()) return;
  top_ = std::move(frames_.back());
  frames_.pop_back();
}

void Parameters::store(int number, double value) {
  if (number >= 0 && number <= kHighest) numbered_[size_t(number)] = value;
}

}  // namespace korvane::gcode
