#pragma once

#include "framework/core/SpecialFolder.h"
#include "framework/core/Volume.h"

#include "tests/common/TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace testsupport {

// While it lives, the boot volume and the private temporary folder are folders of
// the test's own, and Install() puts a usr/bin/osascript there that records each run:
// how many runs, its arguments and a copy of the script file it was given. Both
// folders sit under a name holding a blank, `$`, quotes and a backslash, so that
// every run also shows that such paths arrive whole.
class FakeOsascript {
public:
    explicit FakeOsascript(const std::string& name = "it's a $5 \"card\" \\ folder")
        : boot_(scratch_.File(name) + "/volume"), temporary_(scratch_.File(name) + "/temporary") {
        std::filesystem::create_directories(boot_);
        std::filesystem::create_directories(temporary_);
        fw::SetBootVolumeRootForTests(boot_);
        fw::SpecialFolder::SetTemporaryForTests(temporary_);
    }
    ~FakeOsascript() {
        fw::SetBootVolumeRootForTests("");
        fw::SpecialFolder::SetTemporaryForTests("");
    }

    // `body` is shell text run after the recording, e.g. what it prints.
    void Install(const std::string& body = "") const {
        std::filesystem::create_directories(Boot("usr/bin"));
        const std::string rec = record_.Path();
        const std::string path = Boot("usr/bin/osascript");
        std::ofstream(path) << "#!/bin/sh\n"
                               "echo run >> '" + rec + "/runs'\n"
                               "printf '%s' \"$#\" > '" + rec + "/argc'\n"
                               "printf '%s' \"$1\" > '" + rec + "/arg'\n"
                               "cp \"$1\" '" + rec + "/script'\n" + body;
        ::chmod(path.c_str(), 0755);
    }

    std::string Boot(const std::string& relative) const { return boot_ + "/" + relative; }
    std::string ScriptFile() const { return temporary_ + "/brixAppleScript.txt"; }
    bool TemporaryIsEmpty() const { return std::filesystem::is_empty(temporary_); }

    int Runs() const {
        const std::string runs = ReadFile(record_.File("runs"));
        return static_cast<int>(std::count(runs.begin(), runs.end(), '\n'));
    }
    bool Ran() const { return std::filesystem::exists(record_.File("script")); }
    std::string Script() const { return ReadFile(record_.File("script")); }
    std::string Argument() const { return ReadFile(record_.File("arg")); }
    std::string ArgumentCount() const { return ReadFile(record_.File("argc")); }
    const ScratchDir& Record() const { return record_; }

private:
    ScratchDir scratch_;
    ScratchDir record_;
    std::string boot_;
    std::string temporary_;
};

} // namespace testsupport
