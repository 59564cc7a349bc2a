// Icon images.
#pragma once

#include <string>

#include "platform/win32.h"
#include "toolkit/Classes.h"

namespace vcl {

// An icon image: a handle, and the resource it came from when it was loaded by name. Every change
// of the image is announced through OnChange, also one that gives the same handle again.
//
// The program's icons are shared resource icons (LoadIconA), which are never destroyed; so an image
// never destroys its handle.
class TIcon : public TObject {
 public:
  // The image's handle; an image loaded by name that let go of its handle loads it again.
  HICON Handle();
  // Whether there is an image: a handle, or a resource to load one from.
  bool Empty() const { return !handle_ && resourceName_.empty(); }
  void SetHandle(HICON handle);
  // Gives up the handle without destroying it; an image loaded by name keeps its resource.
  HICON ReleaseHandle();
  // Loads the icon resource `name` of the program's module; raises EOutOfResources when there is
  // none.
  void LoadFromResourceName(std::string name);
  // The resource the image was loaded from by name; empty once a handle was set directly.
  const std::string& ResourceName() const { return resourceName_; }
  void Assign(const TIcon& source);

  TNotifyEvent OnChange;

 private:
  void Changed();

  HICON handle_ = nullptr;
  std::string resourceName_;
};

}  // namespace vcl
