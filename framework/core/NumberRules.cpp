#include "framework/core/NumberRules.h"

#include <charconv>
#include <system_error>

namespace fw {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

double CDbl(const std::string& text) {
    // A stream extraction would reject "30e" outright, having taken the "e" as the
    // start of an exponent; the leading number there is 30. from_chars takes the
    // longest prefix that is a number and is always in the C locale, so "24.7"
    // reads the same whatever the user's locale.
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at != end && IsBlank(*at)) ++at;
    bool negative = false;
    if (at != end && (*at == '+' || *at == '-')) negative = *at++ == '-';
    // Only decimal digits start a number: from_chars would also take "inf" and "nan".
    const bool startsNumber =
        at != end && (IsDigit(*at) || (*at == '.' && end - at > 1 && IsDigit(at[1])));
    if (!startsNumber) return 0.0;
    double value = 0.0;
    const auto [stop, error] = std::from_chars(at, end, value, std::chars_format::general);
    if (error != std::errc() || stop == at) return 0.0;
    return negative ? -value : value;
}

} // namespace fw
