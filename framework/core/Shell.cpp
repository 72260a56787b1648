#include "framework/core/Shell.h"

#include <QProcess>
#include <QStringList>

namespace fw {

void Shell::Execute(const std::string& program, const std::vector<std::string>& arguments) {
    commandLine_ = program;
    QStringList args;
    for (const auto& argument : arguments) {
        commandLine_ += " \"" + argument + "\"";
        args << QString::fromStdString(argument);
    }
    result_.clear();
    exitCode_ = -1;

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // The program gets no input: one that reads it would otherwise wait on ours.
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QString::fromStdString(program), args, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        result_ = commandLine_ + ": " + process.errorString().toStdString();
        return;
    }
    process.waitForFinished(-1);
    const QByteArray output = process.readAll();
    result_.assign(output.constData(), static_cast<size_t>(output.size()));
    if (process.exitStatus() == QProcess::NormalExit) exitCode_ = process.exitCode();
}

} // namespace fw
