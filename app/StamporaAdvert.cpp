#include "app/Stampora.h"

#include "framework/core/Exceptions.h"
#include "framework/core/Runtime.h"
#include "framework/ui/UserInteraction.h"
#include "mail/FolderitemExtensions.h"

#include <QString>

void Stampora::ShowAdvert() {
    auto resources = FolderitemExtensions::ResourcesFolder();
    fw::Deref(resources, "ResourcesFolder");
    fw::Deref(HTMLViewer1(), "HTMLViewer1").LoadPage(resources->Child("index.html"));
    fw::Deref(PagePanel1(), "PagePanel1").SetValue(1);
}

bool Stampora::Event_CancelClose(bool) {
    // The first close or quit on the composer turns to the advert page instead.
    if (fw::Deref(PagePanel1(), "PagePanel1").Value() == 0) {
        ShowAdvert();
        return true;
    }
    fw::Runtime::Quit();
    return false;
}

bool Stampora::HTMLViewer1_CancelLoad(const std::string& url) {
    // "https" begins with "http" too; both go to the browser. Text equality ignores
    // letter case, as everywhere in the framework.
    if (QString::fromStdString(url.substr(0, 4)).compare("http", Qt::CaseInsensitive) == 0) {
        fw::ShowURL(url);
        return true;
    }
    return false;
}

void Stampora::MorInfoButton_Action() {
    fw::ShowURL(std::string(kMakerSite) + "/");
    fw::Runtime::Quit();
}

void Stampora::DownloadNowButton_Action() {
    fw::ShowURL(std::string(kMakerSite) + "/pixalunephotos/PixalunePhotos.dmg");
    fw::Runtime::Quit();
}

void Stampora::CancelButton_Action() { fw::Runtime::Quit(); }
