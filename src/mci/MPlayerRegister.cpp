// TMediaPlayer in form definitions: the class and its stored properties.
#include <string_view>

#include "mci/MPlayer.h"
#include "toolkit/FormReader.h"
#include "toolkit/Forms.h"

namespace {

constexpr std::string_view kDeviceTypes[] = {
    "dtAutoSelect", "dtAVIVideo", "dtCDAudio",   "dtDAT", "dtDigitalVideo", "dtMMMovie",  "dtOther",
    "dtOverlay",    "dtScanner",  "dtSequencer", "dtVCR", "dtVideodisc",    "dtWaveAudio"};
constexpr std::string_view kButtons[] = {"btPlay", "btPause", "btStop",   "btNext", "btPrev",
                                         "btStep", "btBack",  "btRecord", "btEject"};

TMPDeviceTypes DeviceTypeOf(const vcl::TValue& value) {
  const std::string& name = value.AsIdentifier();
  for (size_t i = 0; i < std::size(kDeviceTypes); ++i) {
    if (kDeviceTypes[i] == name) return static_cast<TMPDeviceTypes>(i);
  }
  throw vcl::EReadError("Invalid property value: " + name + " is not a device type");
}

TButtonSet ButtonsOf(const vcl::TValue& value) {
  if (value.kind != vcl::TValue::Kind::Set) {
    throw vcl::EReadError("Invalid property value: a set of buttons is expected");
  }
  TButtonSet set;
  for (const std::string& item : value.items) {
    size_t i = 0;
    while (i < std::size(kButtons) && kButtons[i] != item) ++i;
    if (i == std::size(kButtons)) {
      throw vcl::EReadError("Invalid property value: " + item + " is not a button");
    }
    set.Include(static_cast<TMPBtnType>(i));
  }
  return set;
}

}  // namespace

void RegisterMPlayerClasses() {
  // Once, by the first caller: the initialisation of a function-local static is thread-safe.
  static const bool registered = [] {
    vcl::RegisterToolkitClasses();
    using vcl::TValue;
    vcl::TClassInfo info{
        "TMediaPlayer",
        "TControl",
        [](vcl::TComponent* owner) -> vcl::TComponent* { return new TMediaPlayer(owner); },
        {}};
    auto& p = info.properties;
    p["DeviceType"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetDeviceType(DeviceTypeOf(v)); });
    p["VisibleButtons"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetVisibleButtons(ButtonsOf(v)); });
    p["EnabledButtons"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetEnabledButtons(ButtonsOf(v)); });
    p["ColoredButtons"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetColoredButtons(ButtonsOf(v)); });
    p["AutoEnable"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetAutoEnable(v.AsBool()); });
    p["AutoOpen"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetAutoOpen(v.AsBool()); });
    p["AutoRewind"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetAutoRewind(v.AsBool()); });
    p["Shareable"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetShareable(v.AsBool()); });
    p["FileName"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetFileName(v.AsString()); });
    p["TabStop"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetTabStop(v.AsBool()); });
    p["ShowHint"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetShowHint(v.AsBool()); });
    p["ParentShowHint"] = vcl::ValueProperty<TMediaPlayer>(
        [](TMediaPlayer& m, const TValue& v) { m.SetParentShowHint(v.AsBool()); });
    p["Display"] = vcl::ReferenceProperty<TMediaPlayer>([](TMediaPlayer& m, vcl::TComponent* c) {
      auto* control = dynamic_cast<vcl::TControl*>(c);
      if (!control) throw vcl::EReadError("Invalid property value: Display must be a control");
      m.SetDisplay(control);
    });
    p["OnNotify"] = vcl::EventProperty<TMediaPlayer>(&TMediaPlayer::OnNotify);
    p["OnEnter"] = vcl::EventProperty<TMediaPlayer>(&TMediaPlayer::OnEnter);
    p["OnExit"] = vcl::EventProperty<TMediaPlayer>(&TMediaPlayer::OnExit);
    vcl::TClassRegistry::Instance().Register(std::move(info));
    return true;
  }();
  (void)registered;
}
