// Ownership and removal notices.
#include <gtest/gtest.h>

#include <vector>

#include "toolkit/Classes.h"

namespace {

using vcl::TComponent;
using vcl::TOperation;

std::vector<std::string> destroyed;

class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::string name) : TComponent(owner) { SetName(std::move(name)); }
  ~Probe() override { destroyed.push_back(Name()); }
};

// Holds a reference to a component owned elsewhere and asks to hear of its end.
class Holder : public TComponent {
 public:
  using TComponent::TComponent;
  void SetTarget(TComponent* target) {
    target_ = target;
    if (target) target->FreeNotification(this);
  }
  TComponent* target_ = nullptr;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == TOperation::opRemove && component == target_) target_ = nullptr;
  }
};

TEST(Components, OwnerDestroysWhatItOwnsNewestFirst) {
  destroyed.clear();
  auto* owner = new Probe(nullptr, "owner");
  new Probe(owner, "a");
  auto* b = new Probe(owner, "b");
  new Probe(b, "b1");
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->FindComponent("B"), b);
  TComponent::Free(new Probe(owner, "c"));
  EXPECT_EQ(owner->ComponentCount(), 2) << "a freed component leaves its owner";
  EXPECT_EQ(owner->FindComponent("c"), nullptr);
  delete owner;
  EXPECT_EQ(destroyed, (std::vector<std::string>{"c", "owner", "b", "b1", "a"}));
}

TEST(Components, HolderGoingFirstLeavesNoDanglingNotice) {
  Probe owner(nullptr, "owner");
  auto* holder = new Holder(&owner);
  auto* target = new Probe(&owner, "target");
  holder->SetTarget(target);
  TComponent::Free(holder);
  // Would touch freed memory if the target still listed the holder.
  TComponent::Free(target);
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(Components, SiblingHearsOfARemovalFromTheOwner) {
  Probe owner(nullptr, "owner");
  auto* holder = new Holder(&owner);
  auto* target = new Probe(&owner, "target");
  holder->target_ = target;  // no notice asked: siblings are told all the same
  TComponent::Free(target);
  EXPECT_EQ(holder->target_, nullptr);
}

}  // namespace
