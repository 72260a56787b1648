#include "mail/FolderitemExtensions.h"

#include "framework/core/Exceptions.h"
#include "framework/core/System.h"
#include "framework/core/TextFunctions.h"

#if defined(__APPLE__)
#include <QStorageInfo>
#endif

namespace FolderitemExtensions {

namespace {

// Every value goes inside an AppleScript string literal; a backslash or a double
// quote left bare would end the literal early and let the rest run as script.
std::string Literal(const std::string& value) {
    return "\"" + fw::ReplaceAll(fw::ReplaceAll(value, "\\", "\\\\"), "\"", "\\\"") + "\"";
}

// The file's full path as the scripts that take an alias need it.
std::string FullPath(const fw::FolderItem& item) {
#if defined(__APPLE__)
    return ColonPath(item.AbsolutePath(), QStorageInfo::root().name().toStdString());
#else
    return item.AbsolutePath();
#endif
}

} // namespace

std::string ColonPath(const std::string& posixPath, const std::string& volumeName) {
    std::string path = volumeName;
    std::string name;
    bool named = false;
    for (size_t i = 0; i <= posixPath.size(); ++i) {
        if (i < posixPath.size() && posixPath[i] != '/') {
            name += posixPath[i] == ':' ? '/' : posixPath[i];
            continue;
        }
        if (name.empty()) continue;
        path += ":" + name;
        name.clear();
        named = true;
    }
    // The volume itself ends with its separator.
    return named ? path : path + ":";
}

std::string SendViaEmail(const fw::FolderItemRef& file, const std::string& app,
                         const std::string& subject, const std::string& text) {
    (void)text;
    const fw::FolderItem& item = fw::Deref(file);
    const std::string eol = "\r";
    const std::string s = Literal(subject.empty() ? item.Name() : subject);
    // The scripts are the programs' interface: their bytes must not change. Tags
    // are compared exactly; the one caller passes them as listed.
    std::string script;
    if (app == "Entourage") {
        const std::string h = Literal(FullPath(item));
        script = "tell application \"Microsoft Entourage\"" + eol +
                 "activate" + eol +
                 "set newTask to make new outgoing message with properties {name:" + s +
                     ", attachment:" + h + "}" + eol +
                 "open newTask" + eol +
                 "end tell" + eol;
    } else if (app == "Mail") {
        const std::string p = Literal(fixShellPath(item.ShellPath()));
        script = "tell application \"Mail\"" + eol +
                 "activate" + eol +
                 "set newMsg to (make new outgoing message with properties {visible:true, subject:" +
                     s + "})" + eol +
                 "tell newMsg" + eol +
                 "tell content" + eol +
                 "make new attachment with properties {file name:" + p +
                     "} at before the first character" + eol +
                 "end tell" + eol +
                 "end tell" + eol +
                 "end tell" + eol;
    } else if (app == "Mailsmith") {
        const std::string p = Literal(fixShellPath(item.ShellPath()));
        script = "tell application \"Mailsmith\"" + eol +
                 "activate" + eol +
                 "set the new_message to make new message window" + eol +
                 "tell new_message" + eol +
                 "set the subject to " + s + eol +
                 "make new enclosure at end with properties {file:" + p + "}" + eol +
                 "end tell" + eol +
                 "end tell" + eol;
    } else if (app == "Eudora") {
        const std::string h = Literal(FullPath(item));
        script = "tell application \"Eudora\"" + eol +
                 "activate" + eol +
                 "set x to make message at (end of mailbox \"Out\" of mail folder \"\")" + eol +
                 "set field \"Subject\" of x to " + s + eol +
                 "set myfile to " + h + " as alias" + eol +
                 "attach to message x documents {myfile}" + eol +
                 "end tell" + eol;
    } else if (app == "GyazMail") {
        const std::string h = Literal(FullPath(item));
        script = "tell application \"GyazMail\"" + eol +
                 "set myfile to " + h + " as alias" + eol +
                 "set mymail to (make new outgoing message at the beginning of outgoing messages "
                     "with properties {subject: " + s + ", content: \" \", to recipients: \"\"})" + eol +
                 "tell mymail" + eol +
                 "tell content" + eol +
                 "make new attachment with properties {file name:myfile} "
                     "at after the last word of the the last paragraph" + eol +
                 "end tell" + eol +
                 "end tell" + eol +
                 "send mymail" + eol +
                 "end tell" + eol;
    }

    // An unknown tag still runs, with an empty script, so that its outcome is logged.
    bool failed = false;
    const std::string result = SendAppleScriptCommand(script, &failed);
    if (!result.empty()) fw::System::DebugLog(result);
    if (!failed) return {};
    // A failure that printed nothing still needs a reason the user can read.
    std::string reason = result;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    return reason.empty() ? "osascript reported a failure and gave no reason." : reason;
}

} // namespace FolderitemExtensions
