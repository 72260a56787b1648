#include "mail/CleanOnQuit.h"

#include "framework/Exceptions.h"
#include "framework/NumberRules.h"
#include "framework/SpecialFolder.h"
#include "framework/System.h"
#include "framework/TextFunctions.h"

fw::FolderItemRef CleanOnQuit::RootFolder;
std::shared_ptr<CleanOnQuit::DestructionManager> CleanOnQuit::myDestructionManager;

void CleanOnQuit::Configure(const fw::FolderItemRef& folder) {
    if (RootFolder && RootFolder->Exists()) return;

    if (folder) {
        RootFolder = folder;
    } else {
        const auto documents = fw::SpecialFolder::Documents();
        RootFolder = documents ? documents->Child(kRootName) : nullptr;
    }
    // The earlier root has vanished, so its manager deletes nothing; letting it go
    // before the new root exists keeps it from ever deleting the new one.
    myDestructionManager.reset();
    if (!RootFolder) return;

    RootFolder->CreateAsFolder();
    RootFolder->SetVisible(false);
    myDestructionManager = std::make_shared<DestructionManager>();
    myDestructionManager->myRootFolder = RootFolder;
}

fw::FolderItemRef CleanOnQuit::Child(const std::string& name) {
    Configure(nullptr);
    // Without a root (no Documents folder) this raises, as any use of nil does.
    const auto subfolder = fw::Deref(RootFolder).Child(GnerateUID());
    fw::Deref(subfolder).CreateAsFolder();
    return subfolder->Child(name);
}

std::string CleanOnQuit::GnerateUID() {
    std::string uid;
    for (int pass = 0; pass < 9; ++pass) {
        const double v = fw::System::Rnd() * 256.0;
        uid += fw::Lowercase(fw::Right("00" + fw::Hex(fw::ToInt32(v)), 2));
    }
    return uid;
}

void CleanOnQuit::ReleaseRootFolder() { RootFolder.reset(); }

void CleanOnQuit::ReleaseDestructionManager() { myDestructionManager.reset(); }

CleanOnQuit::DestructionManager::~DestructionManager() {
    if (myRootFolder) DeleteFolder(myRootFolder);
}

void CleanOnQuit::DestructionManager::DeleteFolder(const fw::FolderItemRef& f) {
    // Directory is false for an alias, so an alias (the root included) is removed as
    // a file of its own and whatever it points to is never entered.
    if (f->Directory()) {
        for (int i = f->Count(); i >= 1; --i) {
            const auto child = f->TrueItem(i);
            if (child && child->Exists()) DeleteFolder(child);
        }
    }
    f->Delete();
}
