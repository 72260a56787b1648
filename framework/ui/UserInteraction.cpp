#include "framework/ui/UserInteraction.h"

#include "framework/core/FileNames.h"
#include "framework/core/FileType.h"
#include "framework/core/Runtime.h"
#include "framework/ui/MenuItem.h"
#include "framework/ui/Window.h"

#include <QAction>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

#include <map>

namespace fw {

namespace {

std::shared_ptr<UserInteraction>& Installed() {
    static std::shared_ptr<UserInteraction> service;
    return service;
}

QWidget* ParentWidget(Window* window) { return window ? window->Widget() : nullptr; }

QString NameFilter(const std::string& filter) {
    QStringList patterns;
    for (const auto& p : FileTypeRegistry::Patterns(filter)) patterns << QString::fromStdString(p);
    if (patterns.isEmpty()) return {};
    return QObject::tr("Pictures") + " (" + patterns.join(' ') + ")";
}

void AddItems(QMenu* menu, const std::shared_ptr<MenuItem>& parent,
              std::map<QAction*, std::shared_ptr<MenuItem>>& chosen) {
    for (const auto& item : parent->Children()) {
        if (!item->Visible()) continue;
        if (item->IsSeparator()) {
            menu->addSeparator();
        } else if (item->Count() > 0) {
            AddItems(menu->addMenu(QString::fromStdString(item->Text())), item, chosen);
        } else {
            QAction* action = menu->addAction(QString::fromStdString(item->Text()));
            action->setEnabled(item->Enabled());
            action->setCheckable(item->Checked());
            action->setChecked(item->Checked());
            chosen[action] = item;
        }
    }
}

// Qt's own save dialog reads quotation marks in the typed name as separating
// several names and hands back only the quoted part, so `my "quoted" card.jpg` would
// become `quoted`. A save takes one name: exactly the one typed, in the dialog's
// folder. Dialogs without a typed-name field (the desktop's own) return names whole.
class SaveDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    QString typedPath;   // set when the typed name held a quotation mark

    void accept() override {
        const auto* edit = findChild<QLineEdit*>("fileNameEdit");
        const QString text = edit ? edit->text() : QString();
        if (!text.contains(u'"')) {
            QFileDialog::accept();
            return;
        }
        const QFileInfo info(directory().absoluteFilePath(text));
        if (info.isDir()) {
            setDirectory(info.absoluteFilePath());
            return;
        }
        if (info.exists() &&
            QMessageBox::warning(this, windowTitle(),
                                 tr("%1 already exists.\nDo you want to replace it?").arg(info.fileName()),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
        typedPath = info.absoluteFilePath();
        QDialog::accept();
    }
};

} // namespace

UserInteraction& UserInteraction::Current() {
    static QtUserInteraction qtService;
    auto& installed = Installed();
    return installed ? *installed : static_cast<UserInteraction&>(qtService);
}

void UserInteraction::Install(std::shared_ptr<UserInteraction> service) {
    Installed() = std::move(service);
}

FolderItemRef QtUserInteraction::ChooseFileToOpen(Window* parent, const std::string& filter) {
    QFileDialog dialog(ParentWidget(parent));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (const QString f = NameFilter(filter); !f.isEmpty()) dialog.setNameFilter(f);
    if (parent) dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return nullptr;
    return FolderItem::FromPath(FileNames::Bytes(dialog.selectedFiles().first()));
}

FolderItemRef QtUserInteraction::ChooseFileToSave(Window* parent, const std::string& filter,
                                                  const FolderItemRef& initialDirectory,
                                                  const std::string& suggestedName) {
    SaveDialog dialog(ParentWidget(parent));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (const QString f = NameFilter(filter); !f.isEmpty()) dialog.setNameFilter(f);
    if (initialDirectory) dialog.setDirectory(FileNames::Text(initialDirectory->AbsolutePath()));
    dialog.selectFile(QString::fromStdString(suggestedName));
    // The chosen name is written exactly as typed: no suffix is added.
    dialog.setDefaultSuffix(QString());
    if (parent) dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    if (!dialog.typedPath.isEmpty()) return FolderItem::FromPath(FileNames::Bytes(dialog.typedPath));
    if (dialog.selectedFiles().isEmpty()) return nullptr;
    return FolderItem::FromPath(FileNames::Bytes(dialog.selectedFiles().first()));
}

void QtUserInteraction::ShowMessage(Window* parent, const std::string& text) {
    QMessageBox box(ParentWidget(parent));
    box.setText(QString::fromStdString(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

std::optional<Color> QtUserInteraction::SelectColor(Color initial, const std::string& prompt) {
    const QColor chosen = QColorDialog::getColor(initial.ToQColor(), nullptr,
                                                 QString::fromStdString(prompt));
    if (!chosen.isValid()) return std::nullopt;
    return Color::FromQColor(chosen);
}

std::shared_ptr<MenuItem> QtUserInteraction::PopUpMenu(const std::shared_ptr<MenuItem>& menu, int x,
                                                       int y) {
    QMenu qmenu;
    std::map<QAction*, std::shared_ptr<MenuItem>> chosen;
    AddItems(&qmenu, menu, chosen);
    QAction* action = qmenu.exec(QPoint(x, y));
    auto it = chosen.find(action);
    return it == chosen.end() ? nullptr : it->second;
}

void QtUserInteraction::ShowURL(const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

FolderItemRef ScriptedUserInteraction::ChooseFileToOpen(Window* parent, const std::string& filter) {
    dialogs.push_back({DialogKind::Open, parent != nullptr, filter, {}, {}});
    if (openAnswers.empty()) return nullptr;
    auto answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

FolderItemRef ScriptedUserInteraction::ChooseFileToSave(Window* parent, const std::string& filter,
                                                        const FolderItemRef& initialDirectory,
                                                        const std::string& suggestedName) {
    dialogs.push_back({DialogKind::Save, parent != nullptr, filter,
                       initialDirectory ? initialDirectory->AbsolutePath() : std::string(),
                       suggestedName});
    if (saveAnswers.empty()) return nullptr;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

void ScriptedUserInteraction::ShowMessage(Window*, const std::string& text) {
    messages.push_back(text);
}

std::optional<Color> ScriptedUserInteraction::SelectColor(Color, const std::string& prompt) {
    colorPrompts.push_back(prompt);
    if (colorAnswers.empty()) return std::nullopt;
    auto answer = colorAnswers.front();
    colorAnswers.pop_front();
    return answer;
}

std::shared_ptr<MenuItem> ScriptedUserInteraction::PopUpMenu(const std::shared_ptr<MenuItem>& menu,
                                                             int x, int y) {
    PopUpRequest request{x, y, {}, {}, {}};
    for (const auto& item : menu->Children()) {
        request.texts.push_back(item->Text());
        request.checked.push_back(item->Checked());
        request.tags.push_back(item->Tag);
    }
    popUps.push_back(request);
    if (popUpAnswers.empty()) return nullptr;
    const int index = popUpAnswers.front();
    popUpAnswers.pop_front();
    return menu->Item(index);
}

void ScriptedUserInteraction::ShowURL(const std::string& url) { urls.push_back(url); }

void ShowURL(const std::string& url) { UserInteraction::Current().ShowURL(url); }

bool SelectColor(Color& color, const std::string& prompt) {
    const std::optional<Color> chosen = UserInteraction::Current().SelectColor(color, prompt);
    if (!chosen) return false;
    color = *chosen;
    return true;
}

} // namespace fw
