// A machine and an application for the toolkit's tests: every message box is answered with OK and
// its text kept, in order.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/emu/machine.h"
#include "toolkit/Forms.h"

namespace toolkit_test {

class ApplicationFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    application = std::make_unique<vcl::TApplication>();
    vcl::Application = application.get();
    application->SetTitle("OrvantaBrevo");
    machine.SetBoxAnswerer([this](const emu::BoxInfo& box) {
      shown.push_back(box.text);
      return IDOK;
    });
  }
  void TearDown() override {
    application.reset();
    vcl::Application = nullptr;
  }
  // This test's thread is the program's: move the clock, then take the messages.
  void Wait(uint64_t ms) {
    machine.Advance(ms);
    application->ProcessMessages();
  }

  emu::Machine machine;
  std::unique_ptr<vcl::TApplication> application;
  std::vector<std::string> shown;
};

}  // namespace toolkit_test
