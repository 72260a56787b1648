#include "platform/carbon/CarbonLibrary.h"
#include "platform/carbon/CarbonTheme.h"

#include "framework/core/System.h"

#include <QString>

#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace carbon {

struct CFString {
    std::u16string units;
};

namespace {

std::optional<UserRecord>& TestRecord() {
    static std::optional<UserRecord> record;
    return record;
}

int& LiveCount() {
    static int count = 0;
    return count;
}

UserRecord SystemRecord() {
    UserRecord record;
    const passwd* pw = ::getpwuid(::getuid());
    if (!pw) return record;
    if (pw->pw_name) record.shortName = pw->pw_name;
    record.fullName = FullNameFromGecos(pw->pw_gecos);
    return record;
}

CFStringRef CSCopyUserName(bool useShortName) {
    const UserRecord record = TestRecord() ? *TestRecord() : SystemRecord();
    const auto& name = useShortName ? record.shortName : record.fullName;
    if (!name) return nullptr;
    return NewCFString(*name);
}

CFIndex CFStringGetLength(CFStringRef string) {
    return string ? static_cast<CFIndex>(string->units.size()) : 0;
}

bool CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                        CFStringEncoding encoding) {
    if (!string || !buffer || encoding != kCFStringEncodingUnicode) return false;
    const size_t bytes = string->units.size() * sizeof(char16_t);
    // The units in the machine's byte order, then a terminating zero byte.
    if (bufferSize < 0 || static_cast<size_t>(bufferSize) < bytes + 1) return false;
    std::memcpy(buffer, string->units.data(), bytes);
    buffer[bytes] = 0;
    return true;
}

void CFRelease(const void* ref) {
    if (!ref) return;
    --LiveCount();
    delete static_cast<CFStringRef>(ref);
}

} // namespace

std::optional<std::string> FullNameFromGecos(const char* gecos) {
    if (!gecos) return std::nullopt;
    // The full name is the first comma-separated field of the comment field.
    const std::string field = gecos;
    return field.substr(0, field.find(','));
}

CFStringRef NewCFString(const std::string& utf8) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    ++LiveCount();
    return new CFString{text.toStdU16String()};
}

std::string CFStringToUTF8(CFStringRef string) {
    return string ? QString::fromStdU16String(string->units).toStdString() : std::string();
}

void SetUserRecordForTests(std::optional<UserRecord> record) { TestRecord() = std::move(record); }

int LiveStringCount() { return LiveCount(); }

void InstallCarbonLibrary() {
    using fw::System;
    System::RegisterLibraryFunction("Carbon", "CSCopyUserName", reinterpret_cast<void*>(&CSCopyUserName));
    System::RegisterLibraryFunction("Carbon", "CFStringGetLength",
                                    reinterpret_cast<void*>(&CFStringGetLength));
    System::RegisterLibraryFunction("Carbon", "CFStringGetCString",
                                    reinterpret_cast<void*>(&CFStringGetCString));
    System::RegisterLibraryFunction("Carbon", "CFRelease", reinterpret_cast<void*>(&CFRelease));
    InstallThemeFunctions();
    System::RegisterLibraryFunction("Carbon", "GetWindowGreatestAreaDevice",
                                    reinterpret_cast<void*>(&GetWindowGreatestAreaDevice));
}

} // namespace carbon
