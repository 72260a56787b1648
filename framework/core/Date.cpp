#include "framework/core/Date.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>

#include <cmath>

namespace fw {

namespace {

const QDateTime& Epoch() {
    static const QDateTime epoch(QDate(1904, 1, 1), QTime(0, 0, 0), Qt::UTC);
    return epoch;
}

// Wall-clock arithmetic is done in UTC so that no daylight-saving shift applies.
QDateTime WallClock(double totalSeconds) {
    return Epoch().addSecs(static_cast<qint64>(std::floor(totalSeconds)));
}

double frozenNow = 0;

} // namespace

void Date::SetNowForTests(double totalSeconds) { frozenNow = totalSeconds; }

Date::Date() {
    if (frozenNow != 0) {
        totalSeconds_ = frozenNow;
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime wall(now.date(), now.time(), Qt::UTC);
    totalSeconds_ = static_cast<double>(Epoch().secsTo(wall));
}

Date::Date(double totalSeconds) : totalSeconds_(totalSeconds) {}

int Date::Year() const { return WallClock(totalSeconds_).date().year(); }
int Date::Month() const { return WallClock(totalSeconds_).date().month(); }
int Date::Day() const { return WallClock(totalSeconds_).date().day(); }
int Date::Hour() const { return WallClock(totalSeconds_).time().hour(); }
int Date::Minute() const { return WallClock(totalSeconds_).time().minute(); }
int Date::Second() const { return WallClock(totalSeconds_).time().second(); }

std::string Date::AbbreviatedDate() const {
    // The locale's long date without the weekday and with the month's short name:
    // "dddd, MMMM d, yyyy" becomes "MMM d, yyyy".
    const QLocale locale = QLocale::system();
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("d{4}[,.]?\\s*")));
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    format = format.trimmed();
    return locale.toString(WallClock(totalSeconds_).date(), format).toStdString();
}

} // namespace fw
