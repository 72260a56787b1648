#pragma once

#include <memory>
#include <string>

namespace fw {

// A moment as wall-clock seconds counted from 1 January 1904 00:00:00, read in the
// local time zone without conversion (a fixed TotalSeconds always reads the same).
class Date {
public:
    Date();                                   // now
    explicit Date(double totalSeconds);
    double TotalSeconds() const { return totalSeconds_; }
    void SetTotalSeconds(double seconds) { totalSeconds_ = seconds; }

    int Year() const;
    int Month() const;
    int Day() const;
    int Hour() const;
    int Minute() const;
    int Second() const;

    // The locale's short date with the month as a word ("Jan 22, 2009" in English).
    std::string AbbreviatedDate() const;

    // Makes every new Date() read this moment, so that pictures showing today's date
    // can be compared; 0 restores the clock.
    static void SetNowForTests(double totalSeconds);

private:
    double totalSeconds_;
};

using DateRef = std::shared_ptr<Date>;

} // namespace fw
