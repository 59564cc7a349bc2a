#include "toolkit/Graphics.h"

#include "toolkit/SysUtils.h"

namespace vcl {
namespace {

HICON LoadProgramIcon(const std::string& name) {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), name.c_str());
  if (!icon) throw EOutOfResources("Icon resource " + name + " not found");
  return icon;
}

}  // namespace

HICON TIcon::Handle() {
  if (!handle_ && !resourceName_.empty()) handle_ = LoadProgramIcon(resourceName_);
  return handle_;
}

void TIcon::SetHandle(HICON handle) {
  handle_ = handle;
  resourceName_.clear();
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON handle = handle_;
  handle_ = nullptr;
  Changed();
  return handle;
}

void TIcon::LoadFromResourceName(std::string name) {
  HICON icon = LoadProgramIcon(name);
  handle_ = icon;
  resourceName_ = std::move(name);
  Changed();
}

void TIcon::Assign(const TIcon& source) {
  if (&source == this) return;
  handle_ = source.handle_;
  resourceName_ = source.resourceName_;
  Changed();
}

void TIcon::Changed() {
  if (OnChange) OnChange(this);
}

}  // namespace vcl
