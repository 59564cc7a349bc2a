// The program on the emulated machine, used the way a person does: through the console's words.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "Console.h"
#include "support/TestMachine.h"

namespace testing_support {

class ConsoleScenario : public ::testing::Test {
 protected:
  ~ConsoleScenario() override { console_.Finish(); }

  // Runs console lines; returns what the console answered.
  std::string Do(const std::string& lines) {
    out_.str("");
    std::istringstream in(lines);
    console_.Run(in);
    return out_.str();
  }

  TestMachine machine_;
  std::ostringstream out_;
  sim::Console console_{machine_, out_};
};

}  // namespace testing_support
