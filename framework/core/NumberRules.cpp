#include "framework/core/NumberRules.h"

#include <cstdlib>
#include <locale>
#include <sstream>

namespace fw {

double CDbl(const std::string& text) {
    // Always the C locale: "24.7" must read the same whatever the user's locale.
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0.0;
    in >> std::ws >> value;
    if (in.fail()) return 0.0;
    if (!std::isfinite(value)) return 0.0;
    return value;
}

} // namespace fw
