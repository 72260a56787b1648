#include "mail/FolderitemExtensions.h"

#include "framework/core/BinaryStream.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Shell.h"
#include "framework/core/SpecialFolder.h"
#include "framework/core/TextFunctions.h"
#include "framework/core/Volume.h"

namespace FolderitemExtensions {

std::string fixShellPath(const std::string& path) { return fw::ReplaceAll(path, "\\", ""); }

std::string SendAppleScriptCommand(const std::string& script, bool* failed) {
    if (failed) *failed = true;
    const auto usr = fw::Deref(fw::Volume(0)).Child("usr");
    if (!usr || !usr->Exists()) return "Critical Error Can Not Access Apple Script (usr).";
    const auto bin = usr->Child("bin");
    if (!bin || !bin->Exists()) return "Critical Error Can Not Access Apple Script (bin).";
    const auto osascript = bin->Child("osascript");
    if (!osascript || !osascript->Exists())
        return "Critical Error Can Not Access Apple Script (osascript).";

    // One fixed name is enough: runs never overlap, and the folder is the user's own.
    const auto scriptFile = fw::Deref(fw::SpecialFolder::Temporary()).Child("brixAppleScript.txt");
    const auto stream = fw::Deref(scriptFile).CreateBinaryFile("????");
    fw::Deref(stream).Write(script);
    stream->Close();

    // The path is the one argument, handed over without a shell, so no character in
    // it can be taken for shell syntax and it needs no escaping to undo.
    fw::Shell shell;
    shell.Execute(osascript->AbsolutePath(), {scriptFile->AbsolutePath()});
    const std::string result = shell.Result();
    // osascript prints a script's result as well as its errors; only its status tells
    // the two apart.
    if (failed) *failed = shell.ExitCode() != 0;

    scriptFile->Delete();
    return result;
}

} // namespace FolderitemExtensions
