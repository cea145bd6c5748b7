#include "table/ColumnFlags.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "table/ITTable.h"

namespace {

std::string Component(const std::string& value, ColumnFlags flags) {
    std::string key;
    ColumnKey::AppendComponent(key, value, flags);
    return key;
}

// The encoded index key of a list of components under a compare type.
std::string Encoded(const std::vector<std::string>& components, CompareType compareType) {
    std::string key;
    for (const std::string& c : components) {
        const std::string::size_type start = key.size();
        key.append(c);
        ColumnKey::TerminateIndexComponent(key, start, compareType);
    }
    return key;
}

}  // namespace

TEST(ColumnFlags, ValidateAndMerge) {
    struct Case {
        ColumnFlags in;
        ColumnFlags validated;
    };
    const Case cases[] = {{0x01, 0x10}, {0x45, 0x10}, {0x2F, 0x23}, {0x13, 0x13},
                          {0x00, 0x10}, {0x3C, 0x30}, {0x4F, 0x10}, {0x2D, 0x21}};
    for (const Case& c : cases) EXPECT_EQ(ColumnKey::Validate(c.in), c.validated) << int(c.in);

    struct MergeCase {
        ColumnFlags stored;
        ColumnFlags given;
        ColumnFlags result;
    };
    const MergeCase merges[] = {
        {0x20, 0x01, 0x21},  // a 0 type nibble keeps the stored type
        {0x10, 0x45, 0x10},  // invalid type: the whole byte is reset
        {0x11, 0x3E, 0x32},  // option bits follow, reserved bits cleared
    };
    for (const MergeCase& m : merges)
        EXPECT_EQ(ColumnKey::Merge(m.stored, m.given), m.result)
            << int(m.stored) << " " << int(m.given);

    EXPECT_FALSE(ColumnKey::IsCaseInsensitive(0x21));  // integer with bit 0
}

TEST(ColumnFlags, KeyComponents) {
    struct Case {
        const char* value;
        ColumnFlags flags;
        const char* component;
    };
    const Case cases[] = {
        {"7", 0x20, "00000000007"},   {"+7", 0x20, "000000000+7"},  {" 7", 0x20, "000000000 7"},
        {"", 0x20, "00000000000"},    {"-1", 0x20, "-9999999998"},  {"-5", 0x20, "-9999999994"},
        {"-10", 0x20, "-9999999989"}, {"-91", 0x20, "-9999999908"}, {"-901", 0x20, "-9999999098"},
        {"123456789012", 0x20, ""},  // over-long: empty component
        {"A b", 0x13, "ab"},          {"A b", 0x11, "a b"},         {"A b", 0x12, "Ab"},
        {"A b", 0x33, "A b"},  // options ignored outside text
    };
    for (const Case& c : cases)
        EXPECT_EQ(Component(c.value, c.flags), c.component) << c.value << " " << int(c.flags);

    EXPECT_THROW(Component("?", 0x20), std::runtime_error);
    EXPECT_THROW(Component("-1234567890", 0x20), std::runtime_error);
}

TEST(ColumnFlags, StandaloneBuilders) {
    std::string out = "junk";
    ITTable::NormalizeText(" A\tB\nc ", out);
    EXPECT_EQ(out, "abc");

    struct DoubleCase {
        const char* in;
        const char* key;
    };
    const DoubleCase doubles[] = {
        {"1.5", "000001.500000000000000"},   {"0.05", "0-9975.000000000000000"},
        {"-2.5", "-00007.499999999999999"},  {"1e-100", "0-8991.000000000000000"},
        {"2e100", "001002.000000000000000"},
    };
    for (const DoubleCase& d : doubles) {
        std::string key;
        ITTable::MakeDoubleKey(d.in, key);
        EXPECT_EQ(key, d.key) << d.in;
    }
    std::string kept = "x";
    ITTable::MakeDoubleKey("2", kept);  // appends, never clears
    EXPECT_EQ(kept, "x000002.000000000000000");
    EXPECT_THROW(ITTable::MakeDoubleKey("abc", kept), std::runtime_error);
}

TEST(ColumnFlags, IndexEncodingOrdersComponentByComponent) {
    // Blank-joined texts of these pairs collide or misorder; the encoding
    // orders them as their component lists, under both map compare types.
    const std::string tails[] = {" ", "\t", std::string(1, '\0'), "\x80", "\xFF"};
    for (const CompareType type : {CaseSensitive, CaseInsensitive}) {
        const StringLess less(type);
        EXPECT_TRUE(less(Encoded({"a", "b c"}, type), Encoded({"a b", "c"}, type)));
        EXPECT_FALSE(less(Encoded({"a b", "c"}, type), Encoded({"a", "b c"}, type)));
        // A component orders before its extensions by any byte, and a
        // prefix key before the keys it starts.
        for (const std::string& tail : tails)
            EXPECT_TRUE(less(Encoded({"a", "zzz"}, type), Encoded({"a" + tail, ""}, type)))
                << type << " " << int(static_cast<unsigned char>(tail[0]));
        EXPECT_TRUE(less(Encoded({"a"}, type), Encoded({"a", ""}, type)));
    }
    EXPECT_TRUE(StringEqual(CaseInsensitive)(Encoded({"ABC", "D"}, CaseInsensitive),
                                             Encoded({"abc", "d"}, CaseInsensitive)));
}
