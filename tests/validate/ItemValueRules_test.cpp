// The rules of ranges and enumerations as the value check decides them
// (prepared once per item) against the reference members of CifFile that
// test one value at a time: pinned cases, and a seeded referee over
// generated definitions, so that the two cannot drift apart.

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <stdexcept>

#include "support/Thrown.h"
#include "validate/CheckTestSupport.h"
#include "validate/ItemDefinition.h"

namespace {

// An item's type: "float", "int", or the primitive code of a text type
// ("char", "uchar"); its range rows, enumeration entries and the file's
// enumeration case sense.
struct Rules {
    std::string type;
    Strings minimums, maximums;
    Strings entries;
    bool caseSense = false;
};

bool IsNumber(const std::string& type) {
    return type == "float" || type == "int";
}

// "a|b|c" as its parts; a text without "|" is one part.
Strings Bars(const std::string& text) {
    Strings parts;
    std::string::size_type from = 0;
    for (std::string::size_type bar = 0; bar != std::string::npos; from = bar + 1) {
        bar = text.find('|', from);
        parts.push_back(text.substr(from, bar - from));
    }
    return parts;
}

ItemDefinition Definition(const Rules& rules, bool prepare = true) {
    ItemDefinition definition;
    definition.typeCode = IsNumber(rules.type) ? rules.type : "code";
    definition.primitiveCode = IsNumber(rules.type) ? "numb" : rules.type;
    definition.hasRanges = !rules.minimums.empty();
    definition.minimums = rules.minimums;
    definition.maximums = rules.maximums;
    definition.hasEnumeration = !rules.entries.empty();
    definition.enumValues = rules.entries;
    if (prepare)
        definition.Prepare();
    return definition;
}

// The report on values, one row each, given the findings of each value
// ('r' out of range, 'e' not in the enumeration).
std::string Report(const Strings& values, const Strings& findings, const Strings& entries) {
    std::string list, text;
    for (const std::string& entry : entries) list += (list.empty() ? "\"" : ", \"") + entry + "\"";
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string at = "ERROR - In block \"b\", ";
        if (findings[i].find('r') != std::string::npos)
            text += at + "value \"" + values[i] + "\" for \"_s.v\" is out of range, in row #" +
                    std::to_string(i + 1) + "\n";
        if (findings[i].find('e') != std::string::npos)
            text += at + "for \"_s.v\", value \"" + values[i] +
                    "\" is not defined in the enumeration list. Acceptable values are: " + list +
                    "\n";
    }
    return text;
}

// What the value check reports on the values, one row each.
std::string Checked(const Rules& rules, const Strings& values, bool prepare = true) {
    CifFileChecks checks;
    checks.file.SetEnumCaseSense(rules.caseSense);
    ISTable table("s", CaseSensitive);
    table.AddColumn("v", Strings());
    for (const std::string& value : values) table.AddRow(Strings{value});
    Block block("b");
    const ItemDefinition definition = Definition(rules, prepare);
    checks.Values(block, table, "v", definition);
    return checks.out.str();
}

// The findings of the reference members. A range test that throws (a value
// or a bound needed that is not a number of the kind) admits the value.
std::string Reference(const CifFileChecks& checks, const Rules& rules, const std::string& value) {
    std::string found;
    if (IsNumber(rules.type) && !rules.minimums.empty()) {
        int admitted = 1;
        try {
            admitted = rules.type == "float"
                           ? checks.IsFloatInRange(value, rules.minimums, rules.maximums)
                           : checks.IsIntInRange(value, rules.minimums, rules.maximums);
        } catch (const std::runtime_error&) {
        }
        if (admitted == 0)
            found += 'r';
    }
    if (!rules.entries.empty()) {
        const int listed = rules.type == "float" ? checks.IsFloatInEnumeration(value, rules.entries)
                           : rules.type == "int"
                               ? checks.IsIntInEnumeration(value, rules.entries)
                               : checks.IsStringInEnumeration(value, rules.type, rules.entries);
        if (listed == 0)
            found += 'e';
    }
    return found;
}

Strings References(const Rules& rules, const Strings& values) {
    CifFileChecks checks;
    checks.file.SetEnumCaseSense(rules.caseSense);
    Strings findings;
    for (const std::string& value : values) findings.push_back(Reference(checks, rules, value));
    return findings;
}

// Range rows "min max|min max" (blank-separated bounds) into the rules.
Rules Ranges(const std::string& type, const std::string& rows) {
    Rules rules{type, {}, {}, {}};
    for (const std::string& row : Bars(rows)) {
        const Strings bounds = Split(row);
        rules.minimums.push_back(bounds[0]);
        rules.maximums.push_back(bounds[1]);
    }
    return rules;
}

Rules Entries(const std::string& type, const std::string& entries, bool caseSense = false) {
    return Rules{type, {}, {}, Bars(entries), caseSense};
}

// Values and their findings ("-" none), "|"-separated; both the check and
// the reference members give them.
TEST(ItemValueRules, PinnedCases) {
    const struct {
        Rules rules;
        std::string values, findings;
    } cases[] = {
        // An int written as a double is not an int: outside an int
        // enumeration; as an entry it equals no int.
        {Entries("int", "1"), "1|1.0|+1|01| 1|2|1e0", "-|e|-|-|-|e|e"},
        {Entries("int", "1.0|2|x"), "1|1.0|2|x", "e|e|-|e"},
        {Entries("float", "1"), "1|1.0|1.|+1e0|1.5|x", "-|-|-|-|e|e"},
        // An int range row with a bound written as a double admits every
        // value that reaches it; a value written as a double is in range.
        {Ranges("int", ". 5.0"), "7|-3|5", "-|-|-"},
        {Ranges("int", "0 2|5.0 ?"), "1|3|-9|1.0", "-|-|-|-"},
        {Ranges("int", "0 5"), "4|5|5.0|6|x", "-|r|-|r|-"},
        {Ranges("int", "5 5.0"), "4|5", "-|-"},
        {Ranges("float", "0 5.0"), "4.5|5|5.0|0|-0", "-|r|r|r|r"},
        {Ranges("float", "5 5.0|. -1"), "5|5.00|4|-1|-2", "-|-|r|r|-"},
        // Entries that differ in case alone: the exact lookup finds the
        // spelling only; uchar without case sense finds every spelling.
        {Entries("char", "abc|ABC|Abc|abb|ABD"), "abc|ABC|Abc|aBC|abC|ABc|abcd|ab|ABB|abd",
         "-|-|-|e|e|e|e|e|e|e"},
        {Entries("uchar", "abc|ABC|Abc|abb|ABD", true), "abc|ABC|Abc|aBC|abC|ABc|abcd|ab|ABB|abd",
         "-|-|-|e|e|e|e|e|e|e"},
        {Entries("uchar", "abc|ABC|Abc|abb|ABD"), "abc|ABC|Abc|aBC|abC|ABc|abcd|ab|ABB|abd",
         "-|-|-|-|-|-|e|e|-|-"},
        {Entries("char", "Abc|abc", true), "ABC|abc|Abc", "e|-|-"},
        // Entries whose byte order is not their folded order.
        {Entries("uchar", "b|B|a|C|c|_|Z"), "a|A|b|B|c|C|d|_|z|Z|[", "-|-|-|-|-|-|e|-|-|-|e"},
        {Entries("char", "b|B|a|C|c|_|Z"), "a|A|b|B|c|C|d|_|z|Z|[", "-|e|-|-|-|-|e|-|e|-|e"},
        // Single values given out of order.
        {Ranges("float", "5 5|3 3|1 1|4 4|2 2|-7 -7"), "1|2|3|4|5|-7|0|2.5|6|-1",
         "-|-|-|-|-|-|r|r|r|r"},
        {Ranges("int", "9 9|-4 -4|6 6|0 0|3 3"), "9|-4|6|0|3|1|-3|10", "-|-|-|-|-|r|r|r"},
    };
    for (const auto& c : cases) {
        const Strings values = Bars(c.values);
        Strings findings = Bars(c.findings);
        for (std::string& found : findings)
            if (found == "-")
                found.clear();
        const std::string expected = Report(values, findings, c.rules.entries);
        EXPECT_EQ(expected, Checked(c.rules, values)) << c.rules.type << ": " << c.values;
        EXPECT_EQ(expected, Report(values, References(c.rules, values), c.rules.entries))
            << "reference, " << c.rules.type << ": " << c.values;
    }
}

// A definition is tested only through the rules made from its texts.
TEST(ItemValueRules, UnpreparedDefinitionsAreRefused) {
    std::string report = "not run";
    EXPECT_EQ(Throws("std::logic_error", "ItemDefinition::Rules: the definition is not prepared"),
              Thrown([&] { report = Checked(Ranges("int", "0 1"), {"5"}, false); }));
    EXPECT_EQ("not run", report);
}

// Numbers spelled several ways; the last ones are no int, or no number.
const std::vector<Strings> kSpellings = {{"-3"},
                                         {"-2", "-2.0", "-02"},
                                         {"-1", "-1.0", "-1e0"},
                                         {"0", "-0", "0.0", "+0", "00"},
                                         {"1", "1.0", "1e0", "01", "+1"},
                                         {"2", "2.0", "+2", "02", "2.", "2e0"},
                                         {"2.5", "2.50", "25e-1"},
                                         {"3", "3.", "3.00", " 3"},
                                         {"4", "4.0", "+4"},
                                         {"-0.5", "-.5"},
                                         {"2147483647"},
                                         {"2147483648"},
                                         {"1e400"}};
const Strings kWords = {"abc", "ab", "b", "x", "yes", "_", "a1", "1a", "-"};

class Draw {
public:
    explicit Draw(unsigned int seed) : _random(seed) {}
    unsigned int Below(std::size_t n) { return static_cast<unsigned int>(_random() % n); }
    bool Percent(unsigned int p) { return Below(100) < p; }
    const std::string& Of(const Strings& texts) { return texts[Below(texts.size())]; }
    // A number; a few draws are the last, odd spellings.
    const Strings& Spellings() {
        return kSpellings[Percent(90) ? Below(kSpellings.size() - 3) : Below(kSpellings.size())];
    }
    std::string Word() {
        std::string word = Of(kWords);
        for (char& c : word)
            if (Percent(40))
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return word;
    }

private:
    std::mt19937 _random;
};

Rules RandomRules(Draw& draw) {
    static const Strings kTypes = {"float", "int", "char", "uchar"};
    Rules rules{draw.Of(kTypes), {}, {}, {}, draw.Percent(50)};
    const bool number = IsNumber(rules.type);
    // Text items have no ranges to test: theirs must change nothing.
    const unsigned int rows = draw.Percent(number ? 70 : 20) ? 1 + draw.Below(5) : 0;
    for (unsigned int i = 0; i < rows; ++i) {
        const auto bound = [&] {
            return draw.Percent(25)  ? std::string(draw.Percent(50) ? "?" : ".")
                   : draw.Percent(3) ? draw.Word()
                                     : draw.Of(draw.Spellings());
        };
        rules.minimums.push_back(bound());
        if (draw.Percent(20)) {
            // Equal bounds, perhaps spelled otherwise.
            const Strings& spellings = draw.Spellings();
            rules.minimums.back() = draw.Of(spellings);
            rules.maximums.push_back(draw.Of(spellings));
        } else {
            rules.maximums.push_back(bound());
        }
    }
    const unsigned int entries = draw.Percent(70) ? 1 + draw.Below(6) : 0;
    for (unsigned int i = 0; i < entries; ++i)
        rules.entries.push_back(number && draw.Percent(80) ? draw.Of(draw.Spellings())
                                                           : draw.Word());
    return rules;
}

Strings RandomValues(Draw& draw, const Rules& rules, unsigned int count) {
    Strings values;
    while (values.size() < count) {
        std::string value;
        const unsigned int kind = draw.Below(10);
        if (kind < 2 && !rules.minimums.empty())
            value = draw.Percent(50) ? draw.Of(rules.minimums) : draw.Of(rules.maximums);
        else if (kind < 4 && !rules.entries.empty())
            value = draw.Of(rules.entries);
        else if (kind < 8)
            value = draw.Of(draw.Spellings());
        else
            value = draw.Word();
        if (value != "?" && value != ".")  // null values are not tested
            values.push_back(value);
    }
    return values;
}

std::string Describe(const Rules& rules) {
    std::string text = rules.type + (rules.caseSense ? " (case sense)" : "") + ", ranges:";
    for (size_t i = 0; i < rules.minimums.size(); ++i)
        text += " [" + rules.minimums[i] + "," + rules.maximums[i] + "]";
    return text + ", entries: " + Join(rules.entries);
}

TEST(ItemValueRules, PreparedRulesDecideAsTheReference) {
    Draw draw(20240611);
    int mismatches = 0, outOfRange = 0, inRange = 0, listed = 0, unlisted = 0;
    for (int item = 0; item < 500 && mismatches < 5; ++item) {
        const Rules rules = RandomRules(draw);
        const Strings values = RandomValues(draw, rules, 16);
        const Strings findings = References(rules, values);
        const std::string expected = Report(values, findings, rules.entries);
        const std::string checked = Checked(rules, values);
        if (checked != expected) {
            ++mismatches;
            ADD_FAILURE() << Describe(rules) << "\nvalues: " << Join(values) << "\nreference:\n"
                          << expected << "checked:\n"
                          << checked;
        }
        for (const std::string& found : findings) {
            const bool r = found.find('r') != std::string::npos;
            const bool e = found.find('e') != std::string::npos;
            outOfRange += r;
            inRange += !r && !rules.minimums.empty();
            unlisted += e;
            listed += !e && !rules.entries.empty();
        }
    }
    // The draws reach both answers of both tests.
    EXPECT_GT(outOfRange, 200);
    EXPECT_GT(inRange, 200);
    EXPECT_GT(unlisted, 200);
    EXPECT_GT(listed, 200);
}

}  // namespace
