// Form definitions: a text that lists a form's components with their stored properties, read when
// the form is created.
//
//   object PropertyForm: TPropertyForm
//     Caption = 'OrvantaBrevoのプロパティ'
//     OnCreate = FormCreate
//     object CDCheck: TTimer
//       Enabled = False
//       Interval = 1500
//       OnTimer = CDCheckTimer
//     end
//   end
//
// Values are integers, 'strings' ('' is a quote), identifiers (True, False, enumeration values,
// handler names, component names), sets [a, b] and lists ('a' 'b'). Every component is owned by the
// form; a control nested in another control gets it as its parent. Handlers are bound by name
// through the form's method table, references to other components once all are created, and
// `Loaded` is called on every component after all properties are set.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Classes.h"

namespace vcl {

class TForm;

struct TValue {
  enum class Kind { Integer, String, Identifier, Set, List };
  Kind kind = Kind::Integer;
  int64_t integer = 0;
  std::string text;                // String, Identifier
  std::vector<std::string> items;  // Set, List

  // Checked conversions; a value of another kind raises EReadError.
  bool AsBool() const;
  int AsInt() const;
  const std::string& AsString() const;
  const std::string& AsIdentifier() const;
  const std::vector<std::string>& AsSet() const;
};

// How a class's stored properties are set. A property is a plain value, a handler (bound by name
// through the form), or a reference to another component of the form.
struct TPropertyInfo {
  enum class Kind { Value, Event, Reference };
  Kind kind = Kind::Value;
  std::function<void(TComponent&, const TValue&)> setValue;
  std::function<void(TComponent&, TNotifyEvent)> setEvent;
  std::function<void(TComponent&, TComponent*)> setReference;
};

struct TClassInfo {
  std::string name;
  std::string parent;  // properties not found here are looked up in the parent class
  std::function<TComponent*(TComponent* owner)> create;
  std::map<std::string, TPropertyInfo, std::less<>> properties;
};

// The classes a form definition may name. Registration is done once per process by the layers that
// provide components, before the first form is read.
class TClassRegistry {
 public:
  static TClassRegistry& Instance();
  void Register(TClassInfo info);
  const TClassInfo* Find(std::string_view name) const;
  const TPropertyInfo* FindProperty(std::string_view className, std::string_view property) const;

 private:
  std::map<std::string, TClassInfo, std::less<>> classes_;
};

// Helpers to describe properties briefly.
template <class T>
TPropertyInfo ValueProperty(std::function<void(T&, const TValue&)> set) {
  TPropertyInfo p;
  p.kind = TPropertyInfo::Kind::Value;
  p.setValue = [set](TComponent& c, const TValue& v) { set(dynamic_cast<T&>(c), v); };
  return p;
}
template <class T>
TPropertyInfo EventProperty(TNotifyEvent T::*member) {
  TPropertyInfo p;
  p.kind = TPropertyInfo::Kind::Event;
  p.setEvent = [member](TComponent& c, TNotifyEvent e) {
    dynamic_cast<T&>(c).*member = std::move(e);
  };
  return p;
}
template <class T>
TPropertyInfo EventSetter(std::function<void(T&, TNotifyEvent)> set) {
  TPropertyInfo p;
  p.kind = TPropertyInfo::Kind::Event;
  p.setEvent = [set](TComponent& c, TNotifyEvent e) { set(dynamic_cast<T&>(c), std::move(e)); };
  return p;
}
template <class T>
TPropertyInfo ReferenceProperty(std::function<void(T&, TComponent*)> set) {
  TPropertyInfo p;
  p.kind = TPropertyInfo::Kind::Reference;
  p.setReference = [set](TComponent& c, TComponent* r) { set(dynamic_cast<T&>(c), r); };
  return p;
}

// Reads `definition` into `root`: creates its components and sets all stored properties.
void ReadFormDefinition(TForm& root, std::string_view definition);

}  // namespace vcl
