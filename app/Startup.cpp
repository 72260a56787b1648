#include "app/Startup.h"

#include "app/App.h"
#include "app/IMageFiles.h"
#include "app/MenuBar1.h"
#include "app/SharedPictureEffects.h"
#include "app/Stampora.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Runtime.h"
#include "framework/core/System.h"
#include "interfacekit/InterfaceKitSupport.h"
#include "mail/CleanOnQuit.h"
#include "mail/FolderitemExtensions.h"
#include "platform/carbon/CarbonLibrary.h"

#include <QApplication>
#include <QIcon>

namespace {

std::function<void(const std::string&)>& Observer() {
    static std::function<void(const std::string&)> observer;
    return observer;
}

void Released(const char* name) {
    if (Observer()) Observer()(name);
}

} // namespace

void SetReleaseObserver(std::function<void(const std::string&)> observer) {
    Observer() = std::move(observer);
}

void RegisterClasses() {
    // The framework's own classes and the plug-ins' wrappers first.
    for (const char* name : {"Application", "Window", "MenuBar", "MenuItem", "QuitMenuItem",
                             "AppleMenuItem", "PagePanel", "EditField", "Canvas", "PushButton",
                             "PopupMenu", "ComboBox", "HTMLViewer", "Shell", "RotateEffect",
                             "TextureRenderer"})
        fw::Runtime::RegisterClass(name);
    for (const char* name : {"App", "MenuBar1", "Stampora", "ifkFontComboBox", "ifkFontComboBoxMenu",
                             "ifkFontComboBoxMenu.CloseTimer", "CleanOnQuit.DestructionManager",
                             "ifkButton", "ifkColorWell", "ifkAboutBox"})
        fw::Runtime::RegisterClass(name);
}

void _InitFileTypes() { IMageFiles::_Initialize(); }

void _NewAppInstance() {
    auto app = std::make_shared<App>();
    app->MenuBar = MenuBar1::Instance();
    fw::Runtime::RuntimeRegisterAppObject(app);
}

void _ApplicationAddMenuHandlers() {
    // Every command the program handles is the main window's.
}

void _MakeDefaultView() { (void)Stampora::Instance(); }

void _Startup() {
    fw::Runtime::RuntimeInitExternalClasses();
    // The plug-ins' entry points are linked in; binding them needs no look-up here.
    _InitFileTypes();
    _NewAppInstance();
    _ApplicationAddMenuHandlers();
    _MakeDefaultView();
}

void _Main() {
    try {
        fw::Runtime::RunFrameworkInitialization(_Startup);
        fw::Runtime::RuntimeRun();
    } catch (const std::exception& e) {
        fw::Runtime::RuntimeUnhandledException(e);
    }
}

void ReleaseModuleObjects() {
    MenuBar1::Release();
    Released("MenuBar1");
    CleanOnQuit::ReleaseRootFolder();
    Released("CleanOnQuit.RootFolder");
    CleanOnQuit::ReleaseDestructionManager();
    Released("CleanOnQuit.myDestructionManager");
    FolderitemExtensions::ReleaseResourcesFolder();
    Released("FolderitemExtensions.mResourcesFolder");
    SharedPictureEffects::Release();
    Released("SharedPictureEffects.rotKing");
    IMageFiles::Release(Released);
    InterfaceKitSupport::ReleaseQDRefs();
    Released("InterfaceKitSupport.QDRefs");
}

int StamporaMain(int argc, char** argv) {
    // The platform's initialisers: the stand-in system libraries.
    carbon::InstallCarbonLibrary();
    fw::Runtime::RuntimeInit(argc, argv);
    // One program per user and display: a later copy hands its documents over and
    // ends here, before it touches the clean-up folder or makes a window.
    if (const auto status = fw::Runtime::HandToRunningCopy()) {
        fw::Runtime::RuntimeExit();
        return *status;
    }
    QApplication::setApplicationName("Stampora");
    QApplication::setOrganizationDomain("pixalune.com");
    if (auto resources = FolderitemExtensions::ResourcesFolder()) {
        fw::System::LoadLocalizedStrings(resources->AbsolutePath());
        // The same picture as the desktop entry's icon.
        QApplication::setWindowIcon(QIcon(QString::fromStdString(resources->Child("AppIcon.png")->AbsolutePath())));
    }
    RegisterClasses();
    _Main();
    fw::Runtime::ReleaseFrameworkLists();
    ReleaseModuleObjects();
    return fw::Runtime::RuntimeExit();
}
