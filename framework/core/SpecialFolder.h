#pragma once

#include "framework/core/FolderItem.h"

#include <string>

namespace fw {

// The user's standard folders. Documents and Desktop come from the XDG user folders.
// Desktop is never created here; Documents and the private temporary folder are.
class SpecialFolder {
public:
    // Made when missing: the program keeps its clean-up folder there.
    static FolderItemRef Documents();
    static FolderItemRef Desktop();
    // A folder only this user can enter (mode 0700, owned by the user, not an alias),
    // made on first use: "stampora-<uid>" in $XDG_RUNTIME_DIR when that is usable,
    // else in $TMPDIR, else "stampora-<uid>-<host>" in the user's cache folder, and
    // only then in /tmp. Later starts look in the same order and so find the same
    // folder; the name in a shared /tmp is the last resort because another user
    // can take it first. Nil when no such folder can be had.
    static FolderItemRef Temporary();

    // Test seams. An empty path restores the real folder. The home folder gives
    // Documents and Desktop as its children of those names; the temporary folder
    // is used as given.
    static void SetHomeForTests(const std::string& path);
    static void SetTemporaryForTests(const std::string& path);
};

} // namespace fw
