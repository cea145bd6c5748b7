#ifndef TESRA_TESTS_SUPPORT_EXCEPTIONTEXT_H
#define TESRA_TESTS_SUPPORT_EXCEPTIONTEXT_H

#include <functional>
#include <string>

// One line of a library exception's text, as MirtException frames it.
inline std::string Line(const std::string& message, const std::string& location) {
    return "Message: \"" + message + "\" generated at: " + location + "\n";
}

// The text of the exception of type E that f throws, or "<nothing thrown>".
template <typename E>
std::string Thrown(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "<nothing thrown>";
}

#endif
