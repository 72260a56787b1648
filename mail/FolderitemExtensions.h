#pragma once

#include "framework/core/FolderItem.h"

#include <string>

// Hands files to outside programs through AppleScript, and finds the bundle's
// Resources folder.
namespace FolderitemExtensions {

// Opens a new message with `file` attached in the e-mail program named by the tag:
// "Entourage", "Mail", "Mailsmith", "Eudora" or "GyazMail" (exact texts; any other
// tag runs an empty script). An empty subject becomes the file's name. `text` is not
// read. Whatever the run reports goes to the debug log. Gives back why the file could
// not be handed over (the runner's words), or an empty text when the run succeeded.
std::string SendViaEmail(const fw::FolderItemRef& file, const std::string& app,
                         const std::string& subject, const std::string& text);

// Runs the script with the boot volume's /usr/bin/osascript and returns what it
// printed, or a "Critical Error Can Not Access Apple Script (...)." text when the
// command is missing (then nothing is written or run). Blocks until the run ends.
// `failed`, when given, tells whether the command was missing, could not start or
// ended with a failure status.
std::string SendAppleScriptCommand(const std::string& script, bool* failed = nullptr);

// An absolute path in the colon-separated form the mail programs take as an alias:
// the volume's name, then each of the path's names, joined by ":". A ":" inside a
// name stands as "/" in that form. The scripts use it on macOS; elsewhere they take
// the path as it is.
std::string ColonPath(const std::string& posixPath, const std::string& volumeName);

// The path with every backslash removed: a ShellPath made plain again.
std::string fixShellPath(const std::string& path);

// The "Resources" folder beside the executable's folder, found on the first call and
// kept until ReleaseResourcesFolder; it need not exist. Raises NilObjectException
// when the executable's folders cannot be named.
fw::FolderItemRef ResourcesFolder();
void ReleaseResourcesFolder();

} // namespace FolderitemExtensions
