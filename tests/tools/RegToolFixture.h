#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "RegTool.h"

namespace hivekit::reg::test {

// Every test gets a store of its own in a temporary folder; Run() runs one hivekit-reg command
// in process and keeps its standard output, error output and status.
class RegToolFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        char templ[] = "/tmp/hivekit-reg-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir = templ;
        setenv("HIVEKIT_STORE", (dir + "/registry.db").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("HIVEKIT_STORE");
        std::filesystem::remove_all(dir);
    }
    int Run(std::vector<std::string> args, const std::string& input = "") {
        std::ostringstream o;
        std::ostringstream e;
        std::istringstream i(input);
        const int status = RunReg(args, o, e, i);
        out = o.str();
        err = e.str();
        return status;
    }
    std::string dir;
    std::string out;
    std::string err;
};

}  // namespace hivekit::reg::test
