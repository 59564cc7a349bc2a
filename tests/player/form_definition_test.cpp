// The property dialog as its form definition builds it: every control's window (class, place,
// caption, styles, font, colours) and the keyboard order, held to a file under tests/, so that a
// changed caption, a resizable frame or a lost colour fails here and a deliberate change shows as
// a change of that file. On a mismatch the dump is written to the build folder.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "PlayerScenario.h"
#include "platform/emu/dialog_control.h"

namespace player_test {
namespace {

std::string Hex(unsigned long value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*lX", digits, value);
  return text;
}

class FormDefinition : public PlayerScenario {
 protected:
  // One line for the form, one per control window, then the keyboard order in each container.
  std::string Dump() {
    std::ostringstream out;
    std::map<HWND, std::string> names;
    machine_.RunInProcess(machine_.Processes().front().id, [&] {
      TPropertyForm* form = testing_support::Form();
      names[form->Handle()] = form->Name();
      Describe(out, form->Name(), form->Handle());
      for (int i = 0; i < form->ComponentCount(); ++i) {
        auto* control = dynamic_cast<vcl::TControl*>(form->Components(i));
        if (!control || !control->WindowHandle()) continue;
        names[control->WindowHandle()] = control->Name();
        Describe(out, control->Name(), control->WindowHandle());
        out << Colours(control->WindowHandle());
      }
    });
    // Siblings from the top of the z-order down, as the dialog manager walks them.
    std::map<HWND, std::vector<std::pair<int64_t, HWND>>> children;
    std::map<HWND, std::string> classes;
    for (const auto& w : machine_.Windows()) {
      classes[w.handle] = w.className;
      if ((w.style & WS_CHILD) && names.count(w.parent)) {
        children[w.parent].push_back({w.z, w.handle});
      }
    }
    for (auto& [parent, list] : children) {
      std::sort(list.begin(), list.end());
      out << "order in " << names[parent] << ':';
      for (const auto& [z, child] : list) {
        out << ' ' << (names.count(child) ? names[child] : "(" + classes[child] + ")");
      }
      out << '\n';
    }
    return out.str();
  }

  void Describe(std::ostream& out, const std::string& name, HWND window) {
    const auto info = emu::Control(machine_, window);
    const RECT& r = info->rect;
    out << name << ": " << info->className << ' ' << r.left << ',' << r.top << ' '
        << r.right - r.left << 'x' << r.bottom - r.top << " \"" << sim::FromCodePage(info->text)
        << "\" style=" << Hex(info->style, 8) << " ex=" << Hex(info->exStyle, 8);
    if (!(info->style & WS_CHILD)) {
      out << " client=" << info->client.right << 'x' << info->client.bottom;
    }
    if (auto font = emu::Font(machine_, info->font)) {
      out << " font=\"" << sim::FromCodePage(font->face) << "\"," << font->height << ','
          << font->weight << (font->underline ? ",underline" : "") << ",charset"
          << int(font->charSet);
    }
    out << '\n';
  }

  // What the form answers when the window asks for its colours (WM_CTLCOLORSTATIC through its
  // parent, as a static or a check box asks): text colour, background mode, brush.
  std::string Colours(HWND window) {
    const auto info = emu::Control(machine_, window);
    const bool asks = info->className == "STATIC" ||
                      (info->className == "BUTTON" && (info->style & 0xF) != BS_PUSHBUTTON);
    if (!asks) return "";
    HDC dc = GetDC(window);
    SetTextColor(dc, 0x123456);
    SetBkMode(dc, OPAQUE);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(window), WM_CTLCOLORSTATIC,
                                                             reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(window)));
    const emu::DcColours state = emu::DcState(machine_, dc);
    ReleaseDC(window, dc);
    const std::string brushName = brush == GetStockObject(NULL_BRUSH)        ? "none"
                                  : brush == GetSysColorBrush(COLOR_BTNFACE) ? "btnface"
                                  : brush == nullptr                         ? "default"
                                                                             : "other";
    return "  colours: text=" + Hex(state.text, 6) +
           (state.bkMode == TRANSPARENT ? " transparent" : " opaque") + " brush=" + brushName +
           '\n';
  }
};

TEST_F(FormDefinition, EveryControlIsAsTheFileHoldsIt) {
  Do("drive D: cdrom\nstart\nclick right\nchoose Version\n");
  const std::string dump = Dump();
  std::ifstream in(ORVANTA_PROPERTY_FORM_FILE, std::ios::binary);
  std::stringstream expected;
  expected << in.rdbuf();
  if (dump != expected.str()) {
    std::ofstream(ORVANTA_PROPERTY_FORM_ACTUAL, std::ios::binary) << dump;
  }
  EXPECT_EQ(dump, expected.str()) << "the dialog now: " << ORVANTA_PROPERTY_FORM_ACTUAL;
}

// Visual styles (XP and later): every page gets the tab pane's texture, and the controls on it
// let it show through. Windows 9x has no uxtheme, and a system whose uxtheme will not load is
// the same: the pages keep the face colour and so do the boxes.
TEST_F(FormDefinition, ThePagesHaveTheThemedTextureWhereUxthemeIs) {
  Do("drive D: cdrom\nstart\nclick right\nchoose Version\n");
  const auto calls = emu::ThemeTextureTrace(machine_);
  ASSERT_EQ(calls.size(), 3u);
  for (const auto& call : calls) {
    EXPECT_EQ(call.flags, 6u);  // ETDT_ENABLETAB
    EXPECT_EQ(machine_.Window(call.window)->className, "TTabSheet");
  }
  EXPECT_NE(Dump().find("AutoPlay_CheckBox: BUTTON"), std::string::npos);
  EXPECT_EQ(Dump().find("brush=btnface"), std::string::npos);
}

TEST_F(FormDefinition, OnWindows9xThePagesKeepTheFaceColour) {
  Do("machine 9x\ndrive D: cdrom\nstart\nclick right\nchoose Version\n");
  EXPECT_TRUE(emu::ThemeTextureTrace(machine_).empty());
  const std::string dump = Dump();
  EXPECT_NE(dump.find("AutoPlay_CheckBox: BUTTON"), std::string::npos) << dump;
  EXPECT_NE(dump.find("transparent brush=btnface"), std::string::npos) << dump;
}

TEST_F(FormDefinition, WithTheClassicLookThePagesKeepTheFaceColour) {
  emu::SetVisualStyles(machine_, false);
  Do("drive D: cdrom\nstart\nclick right\nchoose Version\n");
  EXPECT_TRUE(emu::ThemeTextureTrace(machine_).empty());
  EXPECT_NE(Dump().find("transparent brush=btnface"), std::string::npos);
}

TEST_F(FormDefinition, AnUxthemeThatWillNotLoadLeavesThePagesAsOn9x) {
  Do("drive D: cdrom\nstart\nclick right\n");
  // comctl32 loads, uxtheme does not.
  machine_.FailNext("LoadLibraryA", ERROR_MOD_NOT_FOUND, 1);
  Do("choose Version\n");
  EXPECT_EQ(Do("show box\n"), "box: none\n");
  EXPECT_TRUE(emu::ThemeTextureTrace(machine_).empty());
  EXPECT_NE(Dump().find("transparent brush=btnface"), std::string::npos);
}

}  // namespace
}  // namespace player_test
