// The property dialog through the console: the user's hand on its controls (`dialog ...`) and
// what it shows (`show dialog`, `show shell`). Every act goes through the controls' windows, as a
// person's would; the program's objects are only asked which window is which.
#include <charconv>
#include <ostream>

#include "CodePage.h"
#include "Console.h"
#include "Refusal.h"
#include "form/MainUnit.h"
#include "platform/emu/dialog_control.h"

namespace sim {
namespace {

// The option controls and buttons in the order of the dialog's layout.
constexpr std::string_view kShownControls[] = {
    "CDDrive",           "AutoPlay_CheckBox", "AllPlay_CheckBox", "RunPlay_CheckBox",
    "PowerOff_CheckBox", "Reboot_CheckBox",   "Restart_CheckBox", "LogOff_CheckBox",
    "Dialog_CheckBox",   "RB_Spell_CheckBox", "OK_Button",        "Cancel_Button",
    "Save_Button"};

int Index(const std::string& word, std::string_view what) {
  int value = -1;
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size() || value < 0) {
    throw Refusal(std::string(what) + ": expected an index from 0, not " + Quote(word));
  }
  return value;
}

}  // namespace

Console::DialogWindows Console::TheDialog() {
  const int pid = RunningCopy();
  if (pid == 0) throw Refusal("dialog: the program is not running");
  DialogWindows dialog;
  machine_.RunInProcess(pid, [&] {
    auto* form =
        vcl::Application ? dynamic_cast<TPropertyForm*>(vcl::Application->MainForm()) : nullptr;
    if (!form || !form->HandleAllocated()) return;
    dialog.form = form->Handle();
    dialog.shown = form->Visible();
    for (int i = 0; i < form->ComponentCount(); ++i) {
      auto* control = dynamic_cast<vcl::TControl*>(form->Components(i));
      if (control && control->WindowHandle()) {
        dialog.windows[control->Name()] = control->WindowHandle();
      }
    }
    dialog.pages = form->PageControl->WindowHandle();
    dialog.save = form->Save_Button->WindowHandle();
  });
  return dialog;
}

HWND Console::DialogControl(const std::string& name) {
  DialogWindows dialog = TheDialog();
  if (!dialog.shown) throw Refusal("dialog: the dialog is not shown (right click, choose Version)");
  auto it = dialog.windows.find(name);
  if (it == dialog.windows.end()) throw Refusal("dialog: there is no control " + Quote(name));
  return it->second;
}

void Console::DialogCommand(const Words& args) {
  constexpr std::string_view kUsage =
      "dialog tab INDEX | click NAME | select NAME INDEX | key "
      "tab|shift+tab|space|enter|esc|ctrl+tab|ctrl+shift+tab|ctrl+pagedown|ctrl+pageup";
  if (args.empty()) throw Refusal("usage: " + std::string(kUsage));
  const std::string& verb = args[0];
  if (verb == "tab" && args.size() == 2) {
    const int index = Index(args[1], "dialog tab");
    HWND pages = DialogControl("PageControl");
    auto info = emu::Control(machine_, pages);
    if (!info || index >= static_cast<int>(info->items.size())) {
      throw Refusal("dialog tab: there is no tab " + args[1]);
    }
    if (!emu::ClickTab(machine_, pages, index))
      throw Refusal("dialog tab: the tabs cannot be reached");
  } else if (verb == "click" && args.size() == 2) {
    if (!emu::ClickWindow(machine_, DialogControl(args[1]))) {
      throw Refusal("dialog click: " + args[1] + " is hidden or disabled");
    }
  } else if (verb == "select" && args.size() == 3) {
    HWND list = DialogControl(args[1]);
    auto info = emu::Control(machine_, list);
    if (!info || info->className != "COMBOBOX")
      throw Refusal("dialog select: " + args[1] + " is not a list");
    const int index = Index(args[2], "dialog select");
    if (index >= static_cast<int>(info->items.size())) {
      throw Refusal("dialog select: " + args[1] + " has no entry " + args[2]);
    }
    if (!emu::SelectListItem(machine_, list, index)) {
      throw Refusal("dialog select: " + args[1] + " is hidden or disabled");
    }
  } else if (verb == "key" && args.size() == 2) {
    struct Key {
      std::string_view word;
      int key;
      bool shift;
      bool ctrl;
    };
    static constexpr Key kKeys[] = {
        {"tab", VK_TAB, false, false},          {"shift+tab", VK_TAB, true, false},
        {"space", VK_SPACE, false, false},      {"enter", VK_RETURN, false, false},
        {"esc", VK_ESCAPE, false, false},       {"ctrl+tab", VK_TAB, false, true},
        {"ctrl+shift+tab", VK_TAB, true, true}, {"ctrl+pagedown", VK_NEXT, false, true},
        {"ctrl+pageup", VK_PRIOR, false, true}};
    DialogWindows dialog = TheDialog();
    if (!dialog.shown) throw Refusal("dialog key: the dialog is not shown");
    for (const Key& key : kKeys) {
      if (key.word != args[1]) continue;
      if (!emu::PressKey(machine_, dialog.form, key.key, key.shift, key.ctrl)) {
        throw Refusal("dialog key: no window has the focus");
      }
      return;
    }
    throw Refusal(
        "dialog key: expected tab, shift+tab, space, enter, esc, ctrl+tab, ctrl+shift+tab, "
        "ctrl+pagedown or ctrl+pageup, not " +
        Quote(args[1]));
  } else {
    throw Refusal("usage: " + std::string(kUsage));
  }
}

void Console::ShowDialog() {
  DialogWindows dialog = RunningCopy() ? TheDialog() : DialogWindows{};
  if (!dialog.shown) {
    out_ << "dialog: hidden\n";
    return;
  }
  auto nameOf = [&](HWND window) -> std::string {
    for (const auto& [name, handle] : dialog.windows) {
      if (handle == window) return name;
    }
    return "none";
  };
  const auto form = emu::Control(machine_, dialog.form);
  const auto pages = emu::Control(machine_, dialog.pages);
  const auto save = emu::Control(machine_, dialog.save);
  const RECT& r = form->client;
  out_ << "dialog: shown tab=" << (pages ? pages->selection : -1)
       << " save=" << (save && save->enabled ? "on" : "off")
       << " caption=" << QuotedText(form->text) << " client=" << r.right << 'x' << r.bottom
       << " focus=" << nameOf(emu::FocusWindow(machine_, dialog.form)) << '\n';
  for (std::string_view name : kShownControls) {
    auto it = dialog.windows.find(std::string(name));
    if (it == dialog.windows.end()) continue;
    const auto info = emu::Control(machine_, it->second);
    if (!info) continue;
    out_ << name << ':';
    if (info->className == "COMBOBOX") {
      std::string items;
      for (const std::string& item : info->items) items += (items.empty() ? "" : ",") + item;
      out_ << " items=" << QuotedText(items) << " index=" << info->selection;
    } else if ((info->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
      out_ << (info->check == BST_CHECKED ? " checked" : " unchecked");
    }
    out_ << (info->enabled ? " enabled" : " disabled") << '\n';
  }
}

void Console::ShowShell() {
  const auto calls = emu::ShellExecuteTrace(machine_);
  if (calls.empty()) {
    out_ << "shell: none\n";
    return;
  }
  for (const auto& call : calls) {
    out_ << "shell: verb=" << QuotedText(call.verb) << " file=" << QuotedText(call.file)
         << " parameters=" << QuotedText(call.parameters)
         << " directory=" << QuotedText(call.directory) << " show=" << call.show << '\n';
  }
}

}  // namespace sim
