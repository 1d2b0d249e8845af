#pragma once
// Typed reads of JSON members that leave the default in place when a key is
// missing, has the wrong type or holds a number that is not finite.
#include <cmath>
#include <optional>
#include <string>

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>
#include <json/value.h>

namespace machine::json {

inline std::optional<double> number(const Json::Value& v) {
  if (!v.isNumeric()) return std::nullopt;
  const double d = v.asDouble();
  return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

inline std::optional<double> number(const Json::Value& object, const char* key) {
  return object.isObject() ? number(object[key]) : std::nullopt;
}

inline std::optional<std::string> text(const Json::Value& object, const char* key) {
  if (!object.isObject() || !object[key].isString()) return std::nullopt;
  return object[key].asString();
}

inline std::optional<bool> boolean(const Json::Value& object, const char* key) {
  if (!object.isObject() || !object[key].isBool()) return std::nullopt;
  return object[key].asBool();
}

// [a, b, c] or an object with the three named members, all finite numbers.
inline std::optional<glm::dvec3> triple(const Json::Value& v, const char* n0, const char* n1, const char* n2) {
  std::optional<double> a, b, c;
  if (v.isArray() && v.size() >= 3) {
    a = number(v[0]);
    b = number(v[1]);
    c = number(v[2]);
  } else if (v.isObject()) {
    a = number(v, n0);
    b = number(v, n1);
    c = number(v, n2);
  }
  if (!a || !b || !c) return std::nullopt;
  return glm::dvec3(*a, *b, *c);
}

inline std::optional<glm::dvec3> point(const Json::Value& v) { return triple(v, "X", "Y", "Z"); }

inline std::optional<glm::dvec3> point(const Json::Value& object, const char* key) {
  return object.isObject() ? point(object[key]) : std::nullopt;
}

// A direction, normalised; none when it has no length to normalise.
inline std::optional<glm::dvec3> direction(const Json::Value& object, const char* key) {
  const std::optional<glm::dvec3> p = point(object, key);
  if (!p) return std::nullopt;
  const double length = glm::length(*p);
  if (!(length > 1e-12) || !std::isfinite(length)) return std::nullopt;
  return *p / length;
}

// Arrays, or a single object taken as an array of one.
template <typename Each>
void forEach(const Json::Value& v, Each&& each) {
  if (v.isArray()) {
    for (const Json::Value& item : v) each(item);
  } else if (v.isObject()) {
    each(v);
  }
}

}  // namespace machine::json
