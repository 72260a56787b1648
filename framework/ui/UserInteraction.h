#pragma once

#include "framework/core/FolderItem.h"
#include "framework/graphics/Graphics.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fw {

class MenuItem;
class Window;

// Everything that waits for the user (file dialogs, message boxes, the colour
// picker, pop-up menus) and handing a URL to the browser goes through this one
// replaceable service, so that tests script the answers and never block.
class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    // A file chosen in an open dialog showing the files the filter admits (type names
    // separated by ";"), as a sheet of the window when one is given; nil on cancel.
    virtual FolderItemRef ChooseFileToOpen(Window* parent, const std::string& filter) = 0;
    virtual FolderItemRef ChooseFileToSave(Window* parent, const std::string& filter,
                                           const FolderItemRef& initialDirectory,
                                           const std::string& suggestedName) = 0;
    virtual void ShowMessage(Window* parent, const std::string& text) = 0;
    // The colour accepted in the colour picker, or nothing when it was cancelled.
    virtual std::optional<Color> SelectColor(Color initial, const std::string& prompt) = 0;
    // The item chosen from the menu popped up at the screen point, or nil.
    virtual std::shared_ptr<MenuItem> PopUpMenu(const std::shared_ptr<MenuItem>& menu, int x,
                                                int y) = 0;
    virtual void ShowURL(const std::string& url) = 0;

    static UserInteraction& Current();
    // Installs a service; nil puts the Qt one back.
    static void Install(std::shared_ptr<UserInteraction> service);
};

// The service shown to the user, with Qt's dialogs and menus.
class QtUserInteraction : public UserInteraction {
public:
    FolderItemRef ChooseFileToOpen(Window* parent, const std::string& filter) override;
    FolderItemRef ChooseFileToSave(Window* parent, const std::string& filter,
                                   const FolderItemRef& initialDirectory,
                                   const std::string& suggestedName) override;
    void ShowMessage(Window* parent, const std::string& text) override;
    std::optional<Color> SelectColor(Color initial, const std::string& prompt) override;
    std::shared_ptr<MenuItem> PopUpMenu(const std::shared_ptr<MenuItem>& menu, int x, int y) override;
    void ShowURL(const std::string& url) override;
};

// A service that answers from queues filled by a test and records every request.
// An empty queue answers "cancel".
class ScriptedUserInteraction : public UserInteraction {
public:
    enum class DialogKind { Open, Save };
    struct DialogRequest {
        DialogKind kind = DialogKind::Open;
        bool sheet = false;
        std::string filter;
        std::string initialDirectory;
        std::string suggestedName;
    };
    struct PopUpRequest {
        int x = 0;
        int y = 0;
        std::vector<std::string> texts;
        std::vector<bool> checked;
        std::vector<std::optional<std::string>> tags;
    };

    std::deque<FolderItemRef> openAnswers;
    std::deque<FolderItemRef> saveAnswers;
    std::deque<std::optional<Color>> colorAnswers;
    // The index of the item to choose among the popped-up menu's items; -1 chooses nothing.
    std::deque<int> popUpAnswers;

    std::vector<DialogRequest> dialogs;
    std::vector<std::string> messages;
    std::vector<std::string> urls;
    std::vector<PopUpRequest> popUps;
    std::vector<std::string> colorPrompts;

    FolderItemRef ChooseFileToOpen(Window* parent, const std::string& filter) override;
    FolderItemRef ChooseFileToSave(Window* parent, const std::string& filter,
                                   const FolderItemRef& initialDirectory,
                                   const std::string& suggestedName) override;
    void ShowMessage(Window* parent, const std::string& text) override;
    std::optional<Color> SelectColor(Color initial, const std::string& prompt) override;
    std::shared_ptr<MenuItem> PopUpMenu(const std::shared_ptr<MenuItem>& menu, int x, int y) override;
    void ShowURL(const std::string& url) override;
};

// The framework's free functions over the service.
// The colour picker, modal, starting from `color`, with the prompt as its title:
// true when the user accepted, and `color` then holds the choice; otherwise false
// and `color` is left exactly as it was.
bool SelectColor(Color& color, const std::string& prompt);
void ShowURL(const std::string& url);

} // namespace fw
