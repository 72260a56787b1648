#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fw {

// The framework's System module: the debug log, localised constants, random
// numbers and the look-up of operating-system functions by name.
class System {
public:
    // Writes one line to standard error and to the system log, and to the test sink
    // when one is installed.
    static void DebugLog(const std::string& line);
    using LogSink = std::function<void(const std::string&)>;
    static void SetDebugLogSink(LogSink sink);

    // The text stored for the key in the per-language table of the Resources folder,
    // else the default.
    static std::string _GetLocalizedString(const std::string& key, const std::string& defaultText);
    // Replaces the loaded table (tests, and the loader at start-up).
    static void SetLocalizedStrings(std::map<std::string, std::string> table);
    static void LoadLocalizedStrings(const std::string& resourcesPath);

    // Operating-system functions are offered by libraries of stand-ins under a
    // library name ("Carbon"); every call looks them up anew, as the program expects.
    static bool IsFunctionAvailable(const std::string& name, const std::string& library);
    static void* LoadFunctionPointerFromLibrary(const std::string& name, const std::string& library);
    static void RegisterLibraryFunction(const std::string& library, const std::string& name, void* fn);
    static void UnregisterLibraryFunction(const std::string& library, const std::string& name);

    // The pointer's position in global screen coordinates, and whether a mouse
    // button is down (as this application last saw it).
    static int MouseX();
    static int MouseY();
    static bool MouseDown();

    // Rnd: 0 <= r < 1, from one generator for the run.
    static double Rnd();
};

// Typed look-up that raises FunctionNotFoundException when the name is missing.
template <typename Fn>
Fn LookupFunction(const std::string& name, const std::string& library) {
    return reinterpret_cast<Fn>(System::LoadFunctionPointerFromLibrary(name, library));
}

} // namespace fw
