#include "app/App.h"

#include "app/Stampora.h"
#include "framework/core/Exceptions.h"
#include "framework/core/MemoryBlock.h"
#include "framework/core/Runtime.h"
#include "framework/core/System.h"
#include "mail/CleanOnQuit.h"
#include "platform/carbon/CarbonLibrary.h"

#include <QString>

std::shared_ptr<App> App::Instance() {
    auto app = std::dynamic_pointer_cast<App>(fw::Runtime::getAppObject());
    if (!app) throw fw::NilObjectException("App");
    return app;
}

void App::Event_Open() { CleanOnQuit::Configure(nullptr); }

void App::Event_OpenDocument(const fw::FolderItemRef& item) {
    Stampora::Instance()->Request(Stampora::RequestKind::Photo, [item](Stampora& w) { w.AddImage(item); });
}

std::string App::UserName(bool useShortName) {
    using namespace carbon;
    // Looked up anew on every call, as the system's functions may come and go.
    auto copyUserName = fw::LookupFunction<CSCopyUserNameFn>("CSCopyUserName", "Carbon");
    CFStringRef ref = copyUserName(useShortName);
    if (!ref) return {};
    // Should a later function be missing, the copy is still given back on the way out.
    struct Owned {
        CFStringRef ref;
        ~Owned() {
            if (ref && fw::System::IsFunctionAvailable("CFRelease", "Carbon"))
                fw::LookupFunction<CFReleaseFn>("CFRelease", "Carbon")(ref);
        }
    } owned{ref};

    auto getLength = fw::LookupFunction<CFStringGetLengthFn>("CFStringGetLength", "Carbon");
    const CFIndex n = getLength(ref);

    // Sized in UTF-16 code units, two bytes each, so a character above U+FFFF (two
    // units) fits whole.
    fw::MemoryBlock block(static_cast<size_t>(2 * n + 1));
    auto getCString = fw::LookupFunction<CFStringGetCStringFn>("CFStringGetCString", "Carbon");
    std::string result;
    if (getCString(ref, reinterpret_cast<char*>(block.Ptr()), static_cast<CFIndex>(block.Size()),
                   kCFStringEncodingUnicode)) {
        const std::string bytes = block.StringValue(0, static_cast<size_t>(2 * n));
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data()),
                                                static_cast<qsizetype>(n));
        result = text.toStdString();
    }

    auto release = fw::LookupFunction<CFReleaseFn>("CFRelease", "Carbon");
    owned.ref = nullptr;
    release(ref);
    return result;
}

fw::DateRef App::BuildDate() const { return ::BuildDate(*this); }

fw::DateRef BuildDate(const fw::Application&) { return std::make_shared<fw::Date>(3315485418.0); }
