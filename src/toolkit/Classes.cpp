#include "toolkit/Classes.h"

#include <algorithm>

namespace vcl {

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  destroying_ = true;
  // Those who asked to hear of this component's end clear their references first.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    std::erase(other->freeNotifies_, this);
    other->Notification(this, TOperation::opRemove);
  }
  // Owned components go last-created first.
  while (!components_.empty()) {
    TComponent* child = components_.back();
    delete child;  // its destructor removes it from components_
  }
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  auto equal = [&](const std::string& n) {
    return n.size() == name.size() &&
           std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
             return std::tolower(static_cast<unsigned char>(a)) ==
                    std::tolower(static_cast<unsigned char>(b));
           });
  };
  for (auto* c : components_) {
    if (equal(c->name_)) return c;
  }
  return nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end()) {
    freeNotifies_.push_back(other);
    other->freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  std::erase(freeNotifies_, other);
  if (other) std::erase(other->freeNotifies_, this);
}

void TComponent::Free(TComponent* component) {
  delete component;
}

void TComponent::Notification(TComponent* /*component*/, TOperation /*operation*/) {}

void TComponent::InsertComponent(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  std::erase(components_, component);
  component->owner_ = nullptr;
  // Siblings that hold references to it hear of its removal from the owner too.
  Notification(component, TOperation::opRemove);
  for (auto* sibling : components_) sibling->Notification(component, TOperation::opRemove);
}

}  // namespace vcl
