#pragma once

#include "framework/core/FolderItem.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One hidden folder for files that live only while the program runs. Each Child
// request gets a fresh subfolder inside it; the whole folder is deleted when the
// destruction manager goes at an orderly end of the program. The folders are the
// user's alone (mode 0700).
//
// Several copies of the program (on other displays, say) share the folder. Each
// holds a shared lock on it while it runs; at its end a copy that others still
// hold deletes only the subfolders it made, and the last copy deletes the folder
// with everything in it, leftovers of copies that crashed included. So one copy's
// end never takes a card that another has just handed to the mail program.
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
    // made. The subfolder is always made anew, never one that exists (another
    // copy's).
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
        // Deletes myRootFolder with everything in it when no other copy holds it,
        // else only the subfolders this copy made.
        virtual ~DestructionManager();
        fw::FolderItemRef myRootFolder;

        // The root's lock, held shared while this copy runs; -1 when it could not
        // be had, and then the root is never deleted whole.
        int myLock = -1;
        // The names of the subfolders that this copy made in the root.
        std::vector<std::string> mySubfolders;

    private:
        void DeleteFolder(const fw::FolderItemRef& f);
    };

    // The only reference to the manager, so that releasing it runs the deletion.
    static std::shared_ptr<DestructionManager> myDestructionManager;

    // Tests: called with a folder's path once its entries are listed and before any
    // of them is deleted, so that a race with the deletion can be staged.
    static std::function<void(const std::string&)> AfterListingForTests;
};
