// The program module's resources as LoadIconA / LoadCursorA see them: the names come from the same
// generated index as the Windows resource script, so the two builds cannot disagree.
#include <cctype>
#include <string>

#include "platform/emu/machine_impl.h"

namespace {

struct ResourceEntry {
  const char* type;
  const char* name;
};

constexpr ResourceEntry kResources[] = {
#define ORVANTA_RESOURCE(type, name) {#type, name},
#include "resources/generated/resource_index.inc"
#undef ORVANTA_RESOURCE
};

std::string Upper(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Icons and cursors are shared handles: loading the same name twice gives the same handle.
HICON Load(HINSTANCE instance, LPCSTR name, const char* type, const char* function) {
  auto& impl = emu::Impl();
  if (auto error = impl.machine.TakeFailure(function)) {
    SetLastError(*error ? *error : ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::string key;
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (instance == nullptr) {
    // System images are asked for by number (IDI_APPLICATION, IDC_ARROW ...).
    if (!IS_INTRESOURCE(name)) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return nullptr;
    }
    key = std::string(type) + ":#" + std::to_string(reinterpret_cast<uintptr_t>(name));
  } else {
    if (instance != GetModuleHandleA(nullptr) || IS_INTRESOURCE(name)) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return nullptr;
    }
    std::string wanted = Upper(name);
    bool found = false;
    for (const auto& entry : kResources) {
      found = found || (Upper(entry.type) == type && Upper(entry.name) == wanted);
    }
    if (!found) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return nullptr;
    }
    key = std::string(type) + ":" + wanted;
  }
  std::lock_guard lock(impl.mu);
  auto it = impl.icons.find(key);
  if (it != impl.icons.end()) return it->second;
  auto handle = reinterpret_cast<HICON>(impl.nextIcon);
  impl.nextIcon += 4;
  impl.icons[key] = handle;
  impl.iconNames[handle] = key.substr(key.find(':') + 1);
  return handle;
}

}  // namespace

HICON LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  return Load(instance, iconName, "ICON", "LoadIconA");
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  return Load(instance, cursorName, "CURSOR", "LoadCursorA");
}

// Shared icons are not destroyed; Windows answers TRUE all the same.
BOOL DestroyIcon(HICON /*icon*/) {
  return TRUE;
}

namespace emu {

std::string ImageName(HICON image) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto it = impl.iconNames.find(image);
  return it == impl.iconNames.end() ? std::string() : it->second;
}

}  // namespace emu
