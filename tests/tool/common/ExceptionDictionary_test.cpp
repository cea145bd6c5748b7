#include "common/ExceptionDictionary.h"

#include <gtest/gtest.h>

#include "tool/ToolTestSupport.h"

namespace {

using ExceptionDictionaryTest = tooltest::ToolTest;

std::string overrides(const ExceptionDictionary& d) {
    std::ostringstream text;
    for (const auto& b : d.bond_overrides)
        text << b.first.first << "-" << b.first.second << "=" << b.second.value << "/"
             << b.second.esd << " ";
    for (const auto& a : d.angle_overrides)
        text << a.first.first << "-" << a.first.second << "-" << a.first.third << "="
             << a.second.value << "/" << a.second.esd << " ";
    return text.str();
}

TEST_F(ExceptionDictionaryTest, Lines) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"NOTE only a comment\n\nNOTE another\n", ""},
        // Both directions; the last line wins; words after the numbers are ignored.
        {"BOND T1 T2 1.45 0.02\nANGLE T1 T2 T3 109.47 1.5 extra words\nBOND T2 T1 1.50 0.03\n",
         "T1-T2=1.5/0.03 T2-T1=1.5/0.03 T1-T2-T3=109.47/1.5 T3-T2-T1=109.47/1.5 "},
        // Words are cut at every single blank: the first type is empty.
        {"BOND  T1 T2 1.45\n", "-T1=0/1.45 T1-=0/1.45 "},
        {"BOND A B 1.25 0.5\r\n", "A-B=1.25/0.5 B-A=1.25/0.5 "},
    };
    for (const auto& c : cases) {
        const ExceptionDictionary dictionary =
            load_exception_dictionary(scratch.write("exceptions.dat", c.first));
        EXPECT_TRUE(dictionary.enabled);
        EXPECT_EQ(overrides(dictionary), c.second) << c.first;
    }
}

TEST_F(ExceptionDictionaryTest, RefusesWhatItCannotHold) {
    // Too short to hold their numbers: refused, never read past.
    for (const char* line : {"bond A B 1 1", "NOTE: comment", "   ", " BOND A B 1 1",
                             "BOND A B 1.5", "BOND", "ANGLE A B C 109.5"}) {
        const std::string path = scratch.write("bad.dat", "NOTE fine\n" + std::string(line) + "\n");
        EXPECT_RUN_END(load_exception_dictionary(path), 93,
                       "Can't handle line\n  " + std::string(line) + "\nin file " + path);
    }
}

}  // namespace
