#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Stand-ins for the operating-system functions the program looks up by name in the
// library "Carbon". They are offered through the framework's function registry.
namespace carbon {

// An opaque, owned string reference as the name functions hand it out.
struct CFString;
using CFStringRef = const CFString*;
using CFIndex = long;
using CFStringEncoding = uint32_t;
constexpr CFStringEncoding kCFStringEncodingUnicode = 0x0100;

using CSCopyUserNameFn = CFStringRef (*)(bool useShortName);
using CFStringGetLengthFn = CFIndex (*)(CFStringRef string);
using CFStringGetCStringFn = bool (*)(CFStringRef string, char* buffer, CFIndex bufferSize,
                                      CFStringEncoding encoding);
using CFReleaseFn = void (*)(const void* ref);

// Registers every stand-in under "Carbon"; called once by the platform's start-up.
void InstallCarbonLibrary();

// The user database answers: the login name and the full-name field. Tests replace
// the record; nullopt for a field means the system cannot give it.
struct UserRecord {
    std::optional<std::string> shortName;
    std::optional<std::string> fullName;
};
void SetUserRecordForTests(std::optional<UserRecord> record);

// Name references handed out and not yet released (tests check for leaks).
int LiveStringCount();

} // namespace carbon
