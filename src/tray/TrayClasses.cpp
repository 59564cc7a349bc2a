// TTrayIcon in form definitions.

#include "toolkit/FormReader.h"
#include "toolkit/Forms.h"
#include "toolkit/SysUtils.h"
#include "tray/TrayIcon.h"

void RegisterTrayClasses() {
  // Once, by the first caller: the initialisation of a function-local static is thread-safe.
  static const bool registered = [] {
    vcl::RegisterToolkitClasses();
    using vcl::TComponent;
    using vcl::TValue;
    vcl::TClassInfo tray{
        "TTrayIcon", "", [](TComponent* o) -> TComponent* { return new TTrayIcon(o); }, {}};
    auto& p = tray.properties;
    p["AnimateIcons"] = vcl::ReferenceProperty<TTrayIcon>([](TTrayIcon& t, TComponent* c) {
      auto* images = dynamic_cast<vcl::TImageList*>(c);
      if (!images) throw vcl::EReadError("AnimateIcons: " + c->Name() + " is not an image list");
      t.SetAnimateIcons(images);
    });
    p["AnimateRate"] = vcl::ValueProperty<TTrayIcon>(
        [](TTrayIcon& t, const TValue& v) { t.SetAnimateRate(v.AsInt()); });
    p["AutoPopup"] = vcl::ValueProperty<TTrayIcon>(
        [](TTrayIcon& t, const TValue& v) { t.SetAutoPopup(v.AsBool()); });
    p["Enabled"] = vcl::ValueProperty<TTrayIcon>(
        [](TTrayIcon& t, const TValue& v) { t.SetEnabled(v.AsBool()); });
    // The image is stored as the name of an icon resource of the program.
    p["Icon"] = vcl::ValueProperty<TTrayIcon>([](TTrayIcon& t, const TValue& v) {
      vcl::TIcon image;
      image.LoadFromResourceName(v.AsString());
      t.SetIcon(&image);
    });
    auto menu = [](void (TTrayIcon::*set)(vcl::TPopupMenu*)) {
      return vcl::ReferenceProperty<TTrayIcon>([set](TTrayIcon& t, TComponent* c) {
        auto* popup = dynamic_cast<vcl::TPopupMenu*>(c);
        if (!popup) throw vcl::EReadError(c->Name() + " is not a popup menu");
        (t.*set)(popup);
      });
    };
    p["LBPopupMenu"] = menu(&TTrayIcon::SetLBPopupMenu);
    p["RBPopupMenu"] = menu(&TTrayIcon::SetRBPopupMenu);
    p["TipHelp"] = vcl::ValueProperty<TTrayIcon>(
        [](TTrayIcon& t, const TValue& v) { t.SetTipHelp(v.AsString()); });
    p["Visible"] = vcl::ValueProperty<TTrayIcon>(
        [](TTrayIcon& t, const TValue& v) { t.SetVisible(v.AsBool()); });
    // The mouse events take more than a sender, which handlers bound by name do not.
    p["OnClick"] = vcl::EventProperty<TTrayIcon>(&TTrayIcon::OnClick);
    p["OnDblClick"] = vcl::EventProperty<TTrayIcon>(&TTrayIcon::OnDblClick);
    vcl::TClassRegistry::Instance().Register(tray);
    return true;
  }();
  (void)registered;
}
