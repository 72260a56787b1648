#include "framework/ui/HTMLViewer.h"

#include "framework/core/Exceptions.h"
#include "framework/core/RegularFile.h"
#include "framework/core/Runtime.h"

#include <QTextBrowser>
#include <QUrl>

namespace fw {

namespace {

// Far more than a page and its pictures.
constexpr int64_t kLargestLocalResource = 32 << 20;

// Local pages and their pictures are read without blocking, and only from regular
// files; Qt's own reading would open a FIFO in their place and wait for ever.
class LocalBrowser final : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        const QUrl url = source().resolved(name);
        if (!url.isLocalFile()) return QTextBrowser::loadResource(type, name);
        const auto bytes = RegularFile::Read(url.toLocalFile().toStdString(), kLargestLocalResource,
                                             RegularFile::Links::Follow);
        return bytes ? QVariant(QByteArray::fromStdString(*bytes)) : QVariant();
    }
};

QTextBrowser* Browser(const QPointer<QWidget>& w) { return static_cast<QTextBrowser*>(w.data()); }

} // namespace

void HTMLViewer::LoadPage(const FolderItemRef& file) {
    Deref(file);
    if (widget_)
        Browser(widget_)->setSource(QUrl::fromLocalFile(QString::fromStdString(file->AbsolutePath())));
}

std::string HTMLViewer::CurrentURL() const {
    return widget_ ? Browser(widget_)->source().toString().toStdString() : std::string();
}

bool HTMLViewer::Copy() {
    if (widget_) Browser(widget_)->copy();
    return true;
}

bool HTMLViewer::SelectAll() {
    if (widget_) Browser(widget_)->selectAll();
    return true;
}

void HTMLViewer::FollowLink(const std::string& url) {
    bool cancel = false;
    if (CancelLoad) Runtime::Dispatch([&] { cancel = CancelLoad(url); });
    if (cancel || !widget_) return;
    auto* browser = Browser(widget_);
    // A relative link is resolved against the page that holds it.
    browser->setSource(browser->source().resolved(QUrl(QString::fromStdString(url))));
}

QWidget* HTMLViewer::CreateWidget(QWidget* parent) {
    auto* browser = new LocalBrowser(parent);
    browser->setOpenLinks(false);
    browser->setOpenExternalLinks(false);
    QObject::connect(browser, &QTextBrowser::anchorClicked, browser, [this](const QUrl& url) {
        FollowLink(url.toString().toStdString());
    });
    return browser;
}

void HTMLViewer::ApplyDesign() {
    Control::ApplyDesign();
    widget_->setFocusPolicy(Qt::StrongFocus);
}

} // namespace fw
