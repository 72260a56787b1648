#include "framework/core/TextFunctions.h"

namespace fw {

std::string Hex(int64_t value) {
    static const char digits[] = "0123456789ABCDEF";
    uint64_t v = value < 0 ? static_cast<uint32_t>(value) : static_cast<uint64_t>(value);
    std::string out;
    do {
        out.insert(out.begin(), digits[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    return out;
}

std::string Right(const std::string& text, int count) {
    if (count <= 0) return {};
    const auto n = static_cast<size_t>(count);
    return n >= text.size() ? text : text.substr(text.size() - n);
}

std::string Lowercase(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string LowerExtension(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || fileName.find('/', dot) != std::string::npos) return {};
    return Lowercase(fileName.substr(dot + 1));
}

std::vector<std::string> SplitRows(const std::string& text) {
    std::vector<std::string> rows;
    std::string row;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            rows.push_back(row);
            row.clear();
        } else {
            row.push_back(c);
        }
    }
    if (!row.empty()) rows.push_back(row);
    return rows;
}

std::string Replace(const std::string& text, const std::string& find, const std::string& with) {
    if (find.empty()) return text;
    const size_t at = text.find(find);
    if (at == std::string::npos) return text;
    std::string out = text;
    out.replace(at, find.size(), with);
    return out;
}

std::string ReplaceAll(const std::string& text, const std::string& find, const std::string& with) {
    if (find.empty()) return text;
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t at; (at = text.find(find, from)) != std::string::npos; from = at + find.size()) {
        out.append(text, from, at - from);
        out += with;
    }
    out.append(text, from, std::string::npos);
    return out;
}

uint32_t StringToOSType(const std::string& text) {
    uint32_t code = 0;
    for (size_t i = 0; i < 4; ++i)
        code = (code << 8) | (i < text.size() ? static_cast<uint8_t>(text[i]) : 0u);
    return code;
}

} // namespace fw
