#pragma once

#include "app/IMageFiles.h"
#include "app/Stampora.h"
#include "framework/ExecutableFile.h"
#include "framework/Runtime.h"
#include "framework/UserInteraction.h"
#include "platform/carbon/CarbonLibrary.h"

#include <gtest/gtest.h>

#include <QApplication>

// A composer window of its own for each test, reading the built bundle's
// resources, with every dialog answered by a script.
class StamporaTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SetExecutableFileForTests(STAMPORA_BUNDLE "/bin/stampora");
        carbon::InstallCarbonLibrary();
        if (!IMageFiles::pJpeg) IMageFiles::_Initialize();
        ui = std::make_shared<fw::ScriptedUserInteraction>();
        fw::UserInteraction::Install(ui);
        window = Stampora::Instance();
        QApplication::processEvents();
    }

    void TearDown() override {
        window.reset();
        fw::Runtime::ReleaseFrameworkLists();
        fw::UserInteraction::Install(nullptr);
        fw::Runtime::ResetQuitState();
        QApplication::processEvents();
    }

    std::shared_ptr<fw::ScriptedUserInteraction> ui;
    std::shared_ptr<Stampora> window;
};
