#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fw {
class Window;
}

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

// Status results of the stand-ins: 0 for success, the platform's codes otherwise.
using OSStatus = int32_t;
constexpr OSStatus noErr = 0;
constexpr OSStatus paramErr = -50;

// A new owned string reference holding the text, for the stand-ins that hand out
// strings; the caller releases it with CFRelease.
CFStringRef NewCFString(const std::string& utf8);
// The conversion of a string reference to UTF-8 text; empty for nil.
std::string CFStringToUTF8(CFStringRef string);

// The window's content region, for the window-region functions.
constexpr int32_t kWindowContentRgn = 33;
// Finds the display that holds the greatest part of the window's region: fills
// `device` with a handle to it (when not null) and `rect` with its bounds as
// four signed 16-bit fields in the machine's byte order: top, left, bottom, right.
using GetWindowGreatestAreaDeviceFn = OSStatus (*)(const fw::Window* window, int32_t regionCode,
                                                   int32_t* device, uint8_t* rect);
OSStatus GetWindowGreatestAreaDevice(const fw::Window* window, int32_t regionCode, int32_t* device,
                                     uint8_t* rect);

// Registers every stand-in under "Carbon"; called once by the platform's start-up.
void InstallCarbonLibrary();

// The user database answers: the login name and the full-name field. Tests replace
// the record; nullopt for a field means the system cannot give it.
struct UserRecord {
    std::optional<std::string> shortName;
    std::optional<std::string> fullName;
};
void SetUserRecordForTests(std::optional<UserRecord> record);
// The full name held in a user-database comment field ("Ana Lima,room,phone,").
std::optional<std::string> FullNameFromGecos(const char* gecos);

// Name references handed out and not yet released (tests check for leaks).
int LiveStringCount();

} // namespace carbon
