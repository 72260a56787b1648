#pragma once

#include "framework/core/FolderItem.h"

#include <string>

// Hands files to outside programs through AppleScript, and finds the bundle's
// Resources folder.
namespace FolderitemExtensions {

// Opens a new message with `file` attached in the e-mail program named by the tag:
// "Entourage", "Mail", "Mailsmith", "Eudora" or "GyazMail" (exact texts; any other
// tag runs an empty script). An empty subject becomes the file's name. `text` is not
// read. Whatever the run reports goes to the debug log; nothing comes back.
void SendViaEmail(const fw::FolderItemRef& file, const std::string& app,
                  const std::string& subject, const std::string& text);

// Runs the script with the boot volume's /usr/bin/osascript and returns what it
// printed, or a "Critical Error Can Not Access Apple Script (...)." text when the
// command is missing (then nothing is written or run). Blocks until the run ends.
std::string SendAppleScriptCommand(const std::string& script);

// The path with every backslash removed: a ShellPath made plain again.
std::string fixShellPath(const std::string& path);

// The "Resources" folder beside the executable's folder, found on the first call and
// kept until ReleaseResourcesFolder; it need not exist. Raises NilObjectException
// when the executable's folders cannot be named.
fw::FolderItemRef ResourcesFolder();
void ReleaseResourcesFolder();

} // namespace FolderitemExtensions
