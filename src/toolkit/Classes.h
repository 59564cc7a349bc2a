// Components: ownership, names, removal notices and the loading state.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vcl {

class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
 public:
  // Owned components are destroyed with their owner; the owner may be null.
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(index); }
  TComponent* FindComponent(std::string_view name) const;

  // Loading: set while a form definition fills in the stored properties; `Loaded` ends it.
  bool Loading() const { return loading_; }
  void BeginLoading() { loading_ = true; }
  virtual void Loaded() { loading_ = false; }
  bool Destroying() const { return destroying_; }

  // Asks `other` to be told (Notification with opRemove) when this component goes, and the reverse.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  // Destroys an owned component now (the owner would otherwise destroy it with itself).
  static void Free(TComponent* component);

  // A form definition wrote this component inside `parent` (a menu item inside its menu).
  virtual void SetParentComponent(TComponent* /*parent*/) {}

 protected:
  // `component` is being inserted into or removed from this owner, or is going away after asking
  // for a notice. References to it must be cleared here.
  virtual void Notification(TComponent* component, TOperation operation);

 private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  bool loading_ = false;
  bool destroying_ = false;
};

}  // namespace vcl
