// A list of images, the frames of an icon animation.
#pragma once

#include <vector>

#include "platform/win32.h"
#include "toolkit/Classes.h"

namespace vcl {

class TImageList : public TComponent {
 public:
  using TComponent::TComponent;

  int Count() const { return static_cast<int>(images_.size()); }
  // Adds an icon (the list does not own it) and returns its index.
  int AddIcon(HICON icon) {
    images_.push_back(icon);
    return Count() - 1;
  }
  HICON Icon(int index) const { return images_.at(static_cast<size_t>(index)); }

 private:
  std::vector<HICON> images_;
};

}  // namespace vcl
