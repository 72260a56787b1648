#include "framework/core/System.h"

#include "framework/core/Exceptions.h"
#include "framework/core/RegularFile.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLocale>
#include <QTextStream>

#include <cstdio>
#include <mutex>
#include <random>
#include <syslog.h>

namespace fw {

namespace {

// Far more than the program's few strings in any language.
constexpr int64_t kMaxStringTableBytes = 1 << 20;

struct SystemState {
    System::LogSink sink;
    std::map<std::string, std::string> strings;
    std::map<std::string, std::map<std::string, void*>> functions;
};

SystemState& State() {
    // Never destroyed, so that logging still works while statics go at exit.
    static auto* state = new SystemState;
    return *state;
}

} // namespace

void System::DebugLog(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    syslog(LOG_USER | LOG_NOTICE, "%s", line.c_str());
    if (State().sink) State().sink(line);
}

void System::SetDebugLogSink(LogSink sink) { State().sink = std::move(sink); }

std::string System::_GetLocalizedString(const std::string& key, const std::string& defaultText) {
    const auto& table = State().strings;
    auto it = table.find(key);
    return it == table.end() ? defaultText : it->second;
}

void System::SetLocalizedStrings(std::map<std::string, std::string> table) {
    State().strings = std::move(table);
}

void System::LoadLocalizedStrings(const std::string& resourcesPath) {
    // One table per language: Resources/strings/<language>.txt, lines "key=text".
    const QString language = QLocale::system().name().section('_', 0, 0);
    const auto text = RegularFile::Read(resourcesPath + "/strings/" + language.toStdString() + ".txt",
                                        kMaxStringTableBytes, RegularFile::Links::Follow);
    std::map<std::string, std::string> table;
    if (text) {
        QTextStream in(QByteArray::fromStdString(*text));
        while (!in.atEnd()) {
            const QString line = in.readLine();
            const int eq = line.indexOf('=');
            if (line.startsWith('#') || eq <= 0) continue;
            table[line.left(eq).trimmed().toStdString()] = line.mid(eq + 1).toStdString();
        }
    }
    State().strings = std::move(table);
}

bool System::IsFunctionAvailable(const std::string& name, const std::string& library) {
    const auto& libs = State().functions;
    auto lib = libs.find(library);
    return lib != libs.end() && lib->second.count(name) > 0;
}

void* System::LoadFunctionPointerFromLibrary(const std::string& name, const std::string& library) {
    const auto& libs = State().functions;
    auto lib = libs.find(library);
    if (lib != libs.end()) {
        auto fn = lib->second.find(name);
        if (fn != lib->second.end()) return fn->second;
    }
    throw FunctionNotFoundException(name, library);
}

void System::RegisterLibraryFunction(const std::string& library, const std::string& name, void* fn) {
    State().functions[library][name] = fn;
}

void System::UnregisterLibraryFunction(const std::string& library, const std::string& name) {
    State().functions[library].erase(name);
}

int System::MouseX() { return QCursor::pos().x(); }
int System::MouseY() { return QCursor::pos().y(); }
bool System::MouseDown() { return QGuiApplication::mouseButtons() != Qt::NoButton; }

double System::Rnd() {
    static std::mt19937_64 generator{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

} // namespace fw
