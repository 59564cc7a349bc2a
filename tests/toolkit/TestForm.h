// A form read from a definition, for the toolkit's and the tray's tests: the classes of the
// toolkit, TProbe (a component that records its loading and can point at another), and the handlers
// BoxClick and PlayClick, which count clicks.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/FormReader.h"
#include "toolkit/Forms.h"

namespace toolkit_test {

inline std::vector<std::string> loadedOrder;
// Called when a TProbe's Count is read: a test's look at the moment in the loading.
inline std::function<void()> onCount;

// A component that records when it is loaded and can point at another one.
class TProbe : public vcl::TComponent {
 public:
  using TComponent::TComponent;
  void Loaded() override {
    loadedInLoadingState = Loading();
    TComponent::Loaded();
    loadedOrder.push_back(Name());
  }
  bool loadedInLoadingState = false;
  vcl::TComponent* buddy = nullptr;
  int count = 0;
};

class TTestForm : public vcl::TForm {
 public:
  explicit TTestForm(std::string_view definition) : vcl::TForm(nullptr) {
    vcl::RegisterToolkitClasses();
    static bool registered = false;
    if (!registered) {
      registered = true;
      vcl::TClassInfo probe{
          "TProbe", "", [](vcl::TComponent* o) -> vcl::TComponent* { return new TProbe(o); }, {}};
      probe.properties["Buddy"] =
          vcl::ReferenceProperty<TProbe>([](TProbe& p, vcl::TComponent* c) { p.buddy = c; });
      probe.properties["Count"] = vcl::ValueProperty<TProbe>([](TProbe& p, const vcl::TValue& v) {
        p.count = v.AsInt();
        if (onCount) onCount();
      });
      vcl::TClassRegistry::Instance().Register(probe);
      vcl::TClassRegistry::Instance().Register(vcl::TClassInfo{"TTestForm", "TForm", nullptr, {}});
    }
    RegisterMethod("BoxClick", [this](vcl::TObject*) { ++clicks; });
    RegisterMethod("PlayClick", [this](vcl::TObject*) { ++clicks; });
    ReadDefinition(definition);
  }
  std::string ClassName() const override { return "TTestForm"; }
  int clicks = 0;
};

}  // namespace toolkit_test
