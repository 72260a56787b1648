#pragma once

// What both end-to-end drivers share: checks reported one a line, and the desktop's
// programs (xdotool, wmctrl, xwininfo) run for what they print.

#include <QProcess>

#include <cstdio>
#include <string>

namespace e2e {

inline int failures = 0;

inline void Check(bool ok, const std::string& what) {
    std::fprintf(stderr, "%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    failures += !ok;
}

// The driver's exit status: 0 when every check held.
inline int Finish() { return std::fprintf(stderr, "%d failure(s)\n", failures), failures == 0 ? 0 : 1; }

inline QString Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args), process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace e2e
