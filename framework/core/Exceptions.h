#pragma once

#include <stdexcept>
#include <string>

namespace fw {

// Base of the exceptions the framework raises on the program's behalf. They are
// never caught by the program; the runtime catches them at its dispatch boundary.
class RuntimeException : public std::runtime_error {
public:
    explicit RuntimeException(const std::string& message) : std::runtime_error(message) {}
};

class NilObjectException : public RuntimeException {
public:
    explicit NilObjectException(const std::string& what = "NilObjectException")
        : RuntimeException(what) {}
};

class FunctionNotFoundException : public RuntimeException {
public:
    FunctionNotFoundException(const std::string& function, const std::string& library)
        : RuntimeException("FunctionNotFoundException: " + function + " in " + library),
          functionName(function), libraryName(library) {}
    std::string functionName;
    std::string libraryName;
};

// Dereferences a nil-able object the way the framework does: nil raises.
template <typename Ptr>
auto& Deref(const Ptr& p, const char* what = "NilObjectException") {
    if (!p) throw NilObjectException(what);
    return *p;
}

} // namespace fw
