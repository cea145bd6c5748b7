#ifndef TESRA_TESTS_SUPPORT_THROWN_H
#define TESRA_TESTS_SUPPORT_THROWN_H

// What an action throws, as one comparable text: the exception's dynamic type
// and its what(). Exact error texts are checked with these in one table per
// area: {action, type, message, location}.

#include <cxxabi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>

// One framed line of a library exception's text.
inline std::string Line(const std::string& message, const std::string& location) {
    return "Message: \"" + message + "\" generated at: " + location + "\n";
}

// "<type>: <what()>" of the exception the action throws, or "nothing thrown".
inline std::string Thrown(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        int status = 0;
        const std::unique_ptr<char, void (*)(void*)> name(
            abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status), std::free);
        return std::string(status == 0 ? name.get() : typeid(e).name()) + ": " + e.what();
    }
    return "nothing thrown";
}

// The Thrown text of a library exception (one framed line at `location`) or,
// without a location, of an exception whose text is the message itself.
inline std::string Throws(const std::string& type, const std::string& message,
                          const std::string& location = "") {
    return type + ": " + (location.empty() ? message : Line(message, location));
}

// Expects the statement to throw exactly `type` with exactly `text`.
#define EXPECT_THROW_MSG(statement, type, text) \
    EXPECT_EQ(Thrown([&] { statement; }), std::string(#type) + ": " + (text))

#endif
