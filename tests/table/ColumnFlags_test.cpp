// Column flags and the key texts built from cells under them.

#include "table/ColumnFlags.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "table/ITTable.h"

namespace {

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
    const std::pair<ColumnFlags, ColumnFlags> valid[] = {{0x01, 0x10}, {0x45, 0x10}, {0x2F, 0x23},
                                                         {0x13, 0x13}, {0x00, 0x10}, {0x3C, 0x30}};
    for (const auto& v : valid) EXPECT_EQ(ColumnKey::Validate(v.first), v.second) << int(v.first);
    EXPECT_EQ(ColumnKey::Merge(0x20, 0x01), 0x21);  // a 0 type nibble keeps the stored type
    EXPECT_EQ(ColumnKey::Merge(0x10, 0x45), 0x10);  // an invalid type resets the byte
    EXPECT_EQ(ColumnKey::Merge(0x11, 0x3E), 0x32);  // option bits follow, reserved bits go
    EXPECT_FALSE(ColumnKey::IsCaseInsensitive(0x21));
}

TEST(ColumnFlags, KeyComponents) {
    const struct {
        const char* value;
        ColumnFlags flags;
        const char* component;
    } cases[] = {
        {"7", 0x20, "00000000007"},   {"+7", 0x20, "000000000+7"},  {" 7", 0x20, "000000000 7"},
        {"", 0x20, "00000000000"},    {"-1", 0x20, "-9999999998"},  {"-5", 0x20, "-9999999994"},
        {"-10", 0x20, "-9999999989"}, {"-91", 0x20, "-9999999908"}, {"-901", 0x20, "-9999999098"},
        {"123456789012", 0x20, ""},  // over-long: empty component
        {"A b", 0x13, "ab"},          {"A b", 0x11, "a b"},         {"A b", 0x12, "Ab"},
        {"A b", 0x33, "A b"},  // options ignored outside text
    };
    for (const auto& c : cases) {
        std::string key;
        ColumnKey::AppendComponent(key, c.value, c.flags);
        EXPECT_EQ(key, c.component) << c.value << " " << int(c.flags);
    }
    std::string key;
    EXPECT_THROW(ColumnKey::AppendComponent(key, "-1234567890", 0x20), std::runtime_error);
    ITTable::NormalizeText(" A\tB\nc ", key);
    EXPECT_EQ(key, "abc");

    const std::pair<const char*, const char*> doubles[] = {{"1.5", "000001.500000000000000"},
                                                           {"0.05", "0-9975.000000000000000"},
                                                           {"-2.5", "-00007.499999999999999"},
                                                           {"1e-100", "0-8991.000000000000000"},
                                                           {"2e100", "001002.000000000000000"}};
    for (const auto& d : doubles) {
        key = "x";  // appended to, never cleared
        ITTable::MakeDoubleKey(d.first, key);
        EXPECT_EQ(key, "x" + std::string(d.second)) << d.first;
    }
    EXPECT_THROW(ITTable::MakeDoubleKey("abc", key), std::runtime_error);

    // The public key texts join components with one blank after each.
    ITTable t;
    t.CreateColumn(0, {"A b"});
    t.CreateColumn(1, {"7"});
    t.SetFlags(0x13, 0);
    t.SetFlags(0x20, 1);
    t.MakeRowKey(key, {0, 1}, 0);
    EXPECT_EQ(key, "ab 00000000007 ");
    t.MakeSearchKey(key, {"AB"}, {0, 1});
    EXPECT_EQ(key, "ab ");
    t.MakeRawRowKey(key, {0, 1}, 0);
    EXPECT_EQ(key, "A b 7 ");
}

TEST(ColumnFlags, IndexEncodingOrdersComponentByComponent) {
    // Blank-joined texts of these pairs collide or misorder; the encoding
    // orders them as their component lists, under both map compare types.
    const std::string tails[] = {" ", "\t", std::string(1, '\0'), "\x80", "\xFF"};
    for (const CompareType type : {CaseSensitive, CaseInsensitive}) {
        const StringLess less(type);
        EXPECT_TRUE(less(Encoded({"a", "b c"}, type), Encoded({"a b", "c"}, type)));
        EXPECT_FALSE(less(Encoded({"a b", "c"}, type), Encoded({"a", "b c"}, type)));
        // A component orders before its extensions by any byte, and a prefix
        // key before the keys it starts.
        for (const std::string& tail : tails)
            EXPECT_TRUE(less(Encoded({"a", "zzz"}, type), Encoded({"a" + tail, ""}, type)))
                << type << " " << int(static_cast<unsigned char>(tail[0]));
        EXPECT_TRUE(less(Encoded({"a"}, type), Encoded({"a", ""}, type)));
    }
    EXPECT_TRUE(StringEqual(CaseInsensitive)(Encoded({"ABC", "D"}, CaseInsensitive),
                                             Encoded({"abc", "d"}, CaseInsensitive)));
    // An index keeps the key order it was made with: after a flags change a
    // search over the column wants a new one.
    ITTable t;
    t.CreateColumn(0, {"b", "A"});
    t.CreateIndex({0});
    t.SetFlags(0x11, 0);
    EXPECT_EQ(t.FindIndex({0}), ITTable::NO_INDEX);
    t.CreateIndex({0});
    EXPECT_EQ(t.FindIndex({0}), 1u);
    EXPECT_EQ(t.FindFirst({"a"}, {0}, 1), 1u);
}
