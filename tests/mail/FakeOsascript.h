#pragma once

#include "framework/SpecialFolder.h"
#include "framework/Volume.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <sys/stat.h>

// A boot volume of the test's own whose usr/bin/osascript records each run: how many
// runs, its arguments and a copy of the script file it was given. The private
// temporary folder is pointed at a scratch folder too, so that tests can see what is
// left in it.
class FakeOsascriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SetBootVolumeRootForTests(boot_.Path());
        UseTemporary(temp_.Path());
    }
    void TearDown() override {
        fw::SetBootVolumeRootForTests("");
        fw::SpecialFolder::SetTemporaryForTests("");
    }

    void UseTemporary(const std::string& path) {
        std::filesystem::create_directories(path);
        temporary_ = path;
        fw::SpecialFolder::SetTemporaryForTests(path);
    }

    // `body` is extra shell text run after the recording, e.g. what it prints.
    void InstallOsascript(const std::string& body = "printf 'osascript ran'\n") {
        std::filesystem::create_directories(boot_.File("usr/bin"));
        const std::string rec = record_.Path();
        const std::string script =
            "#!/bin/sh\n"
            "echo run >> '" + rec + "/runs'\n"
            "printf '%s' \"$#\" > '" + rec + "/argc'\n"
            "printf '%s' \"$1\" > '" + rec + "/arg'\n"
            "cp \"$1\" '" + rec + "/script'\n" + body;
        const std::string path = boot_.Write("usr/bin/osascript", script);
        ::chmod(path.c_str(), 0755);
    }

    int Runs() const {
        const std::string runs = testsupport::ReadFile(record_.File("runs"));
        return static_cast<int>(std::count(runs.begin(), runs.end(), '\n'));
    }
    std::string RecordedScript() const { return testsupport::ReadFile(record_.File("script")); }
    std::string RecordedArgument() const { return testsupport::ReadFile(record_.File("arg")); }
    std::string RecordedArgumentCount() const { return testsupport::ReadFile(record_.File("argc")); }
    bool TemporaryIsEmpty() const { return std::filesystem::is_empty(temporary_); }
    std::string ScriptFile() const { return temporary_ + "/brixAppleScript.txt"; }

    testsupport::ScratchDir boot_;
    testsupport::ScratchDir temp_;
    testsupport::ScratchDir record_;
    std::string temporary_;
};
