#pragma once

#include "framework/core/FolderItem.h"

#include <functional>
#include <memory>
#include <string>

// One hidden folder for files that live only while the program runs. Each Child
// request gets a fresh subfolder inside it; the whole folder is deleted when the
// destruction manager goes at an orderly end of the program.
class CleanOnQuit {
public:
    // The root's name in the user's Documents folder.
    static constexpr const char* kRootName = "CleanOnQuitcom.pixalune.stampora";

    // Makes sure a root exists and has a manager; does nothing while the current root
    // exists, whatever folder is passed. Nil means the default root in Documents.
    // Anything but a folder at the root's name (a file, a link) is left as it is.
    static void Configure(const fw::FolderItemRef& folder);
    // The named item, not created, inside a new subfolder of the root; nil, with the
    // reason in *failure, when the root is not a folder or the subfolder cannot be
    // made.
    static fw::FolderItemRef Child(const std::string& name, std::string* failure = nullptr);
    // 18 random lowercase hexadecimal digits.
    static std::string GnerateUID();

    // Shut-down releases these two in this order; releasing the manager deletes the
    // root with everything in it.
    static void ReleaseRootFolder();
    static void ReleaseDestructionManager();

    static fw::FolderItemRef RootFolder;

protected:
    class DestructionManager {
    public:
        // Deletes myRootFolder with everything in it.
        virtual ~DestructionManager();
        fw::FolderItemRef myRootFolder;

    private:
        void DeleteFolder(const fw::FolderItemRef& f);
    };

    // The only reference to the manager, so that releasing it runs the deletion.
    static std::shared_ptr<DestructionManager> myDestructionManager;

    // Tests: called with a folder's path once its entries are listed and before any
    // of them is deleted, so that a race with the deletion can be staged.
    static std::function<void(const std::string&)> AfterListingForTests;
};
