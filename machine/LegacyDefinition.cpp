#include "machine/LegacyDefinition.h"

#include <string>

namespace machine {
namespace {

// Keys renamed inside axes and mounts.
void renameKey(Json::Value& object, const char* from, const char* to) {
  if (!object.isMember(from)) return;
  if (!object.isMember(to)) object[to] = object[from];
  object.removeMember(from);
}

Json::Value convertMount(Json::Value mount) {
  renameKey(mount, "ToolOrientation", "Orientation");
  renameKey(mount, "ToolType", "Type");
  if (mount.isMember("ToolMountPos")) {
    if (mount.isMember("ToolMountPos2")) {
      Json::Value both(Json::arrayValue);
      both.append(mount["ToolMountPos"]);
      both.append(mount["ToolMountPos2"]);
      mount["MountPos"] = both;
    } else {
      mount["MountPos"] = mount["ToolMountPos"];
    }
    mount.removeMember("ToolMountPos");
    mount.removeMember("ToolMountPos2");
  }
  return mount;
}

Json::Value convertMounts(const Json::Value& mounts) {
  if (mounts.isObject()) return convertMount(mounts);
  if (!mounts.isArray()) return mounts;
  Json::Value result(Json::arrayValue);
  for (const Json::Value& mount : mounts) result.append(mount.isObject() ? convertMount(mount) : mount);
  return result;
}

// An axis's "Position" is its centre; a "ToolAttachPos" is where a milling
// tool mounts on it.
Json::Value convertAxis(Json::Value axis) {
  if (!axis.isObject()) return axis;
  renameKey(axis, "Position", "Center");
  if (axis.isMember("ToolAttachPos") && !axis.isMember("Mounts")) {
    Json::Value mount(Json::objectValue);
    mount["Type"] = "MILL";
    mount["Orientation"] = "FACE";
    mount["MountPos"] = axis["ToolAttachPos"];
    axis["Mounts"] = Json::Value(Json::arrayValue);
    axis["Mounts"].append(mount);
  }
  axis.removeMember("ToolAttachPos");
  if (axis.isMember("Mounts")) axis["Mounts"] = convertMounts(axis["Mounts"]);
  Json::Value& children = axis["Axis"];
  if (children.isObject()) {
    children = convertAxis(children);
  } else if (children.isArray()) {
    for (Json::Value& child : children) child = convertAxis(child);
  } else if (children.isNull()) {
    axis.removeMember("Axis");
  }
  return axis;
}

void moveToTop(const Json::Value& from, const char* key, Json::Value& top) {
  if (from.isObject() && from.isMember(key) && !top.isMember(key)) top[key] = from[key];
}

}  // namespace

std::optional<Json::Value> convertLegacy(const Json::Value& document) {
  if (!document.isObject()) return std::nullopt;
  const Json::Value* root = nullptr;
  for (const char* name : {"MachineDefinition", "MachineDefinitionLocked"})
    if (document.isMember(name) && document[name].isObject()) {
      root = &document[name];
      break;
    }
  if (!root) return std::nullopt;
  Json::Value top(Json::objectValue);
  const Json::Value& header = (*root)["Header"];
  for (const char* key : {"Unit", "Orientation", "DefaultView", "MaxCuttingFeedrate", "CenterTable", "ModelOffset"})
    moveToTop(header, key, top);
  for (const char* key : {"WorkpieceTransformation", "CenterTable", "ModelOffset"}) moveToTop(*root, key, top);

  const Json::Value& groups = (*root)["MachinePartGroups"];
  if (groups.isArray())
    for (const Json::Value& group : groups) {
      if (!group.isObject() || !group["Type"].isString()) continue;
      const std::string type = group["Type"].asString();
      if (type == "Base") {
        if (group.isMember("Models")) top["Base"] = group["Models"];
        if (group["GUID"].isString()) top["BaseGUID"] = group["GUID"];
      } else if (type == "Head" || type == "Table") {
        Json::Value part = convertAxis(group);
        part.removeMember("Type");
        if (group["GUID"].isString()) top[type + "GUID"] = group["GUID"];
        top[type] = part;
      } else if (type == "Revolver") {
        Json::Value revolver = group;
        revolver.removeMember("Type");
        renameKey(revolver, "Position", "Center");
        top["Revolver"] = revolver;
      }
    }
  const Json::Value& collision = (*root)["Collision"];
  for (const char* key : {"CollisionPairs", "ToolchangePositions", "Holders", "Mounts"}) {
    moveToTop(*root, key, top);
    moveToTop(collision, key, top);
  }
  for (const char* key : {"Mounts", "Holders"})
    if (top.isMember(key)) top[key] = convertMounts(top[key]);
  return top;
}

}  // namespace machine
