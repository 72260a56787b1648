#pragma once

#include "framework/ui/Canvas.h"
#include "framework/ui/StaticText.h"
#include "framework/ui/Window.h"

#include <cstdint>
#include <memory>
#include <string>

// The about window: the application's icon, its name, a version line that switches
// between a short and a long text at each click, a tag line and the credits. The
// caller fills the name, tag line and credits, then shows it.
class ifkAboutBox : public fw::Window {
public:
    // The open about window, or a new, hidden one.
    static std::shared_ptr<ifkAboutBox> Instance();
    std::string ClassName() const override { return "ifkAboutBox"; }

    void Layout() override;
    void CreateControls() override;
    void _CreateControls0();

    std::shared_ptr<fw::StaticText> Name() const { return Find<fw::StaticText>("Name"); }
    std::shared_ptr<fw::StaticText> Copyright() const { return Find<fw::StaticText>("Copyright"); }
    std::shared_ptr<fw::Canvas> appIcon() const { return Find<fw::Canvas>("appIcon"); }
    std::shared_ptr<fw::StaticText> Information() const { return Find<fw::StaticText>("Information"); }

    bool appVer_MouseDown(int X, int Y);
    void appIcon_Paint(fw::Graphics& g);
    void Event_Open() override;
    void Event_Close() override;
    // Escape closes the box, which has no buttons.
    bool Event_KeyDown(const std::string& key) override;

    static std::string kVersion();
    static std::string kOn();

private:
    std::shared_ptr<fw::StaticText> appVer() const { return Find<fw::StaticText>("appVer"); }
    // Writes the next of the two version texts.
    void setAppText();

    int32_t appTextID = 0;
    int32_t myIconRef = 0;
};
