// Key items and mandatory items of data tables against a small dictionary.

#include <gtest/gtest.h>

#include "validate/CheckTestSupport.h"

namespace {

// t: two keys and a mandatory item listed twice, as merged frames list it;
// u: an implicit key beside an implicit-ordinal item; v: neither keys nor
// mandatory items; w: a key and a mandatory item named without ".".
const char* const kDictionary =
    "data_dict\n"
    "loop_\n_category_key.id\n_category_key.name\n"
    "t '_t.k1'\nt '_t.k2'\nu '_u.id'\natom_sites_alt '_atom_sites_alt.id'\nw nodot\n"
    "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n"
    "'_t.k1' t yes\n'_t.k2' t yes\n'_t.m' t yes\n'_t.m' t yes\n'_u.id' u implicit\n"
    "'_u.x' u implicit-ordinal\n'_atom_sites_alt.id' atom_sites_alt yes\n'_v.a' v no\n"
    "nodot w yes\n";

const std::string kRepeated =
    "ERROR - In block \"b\", in cateogory \"t\", values for key item(s):\n  \"k1\",\n  \"k2\",\n";
const std::string kError = "ERROR - In block \"b\", ";

// Each case: loops of one table, and the report.
TEST(KeyAndMandatoryItems, ReportEachFindingOnce) {
    const std::pair<std::string, std::string> cases[] = {
        {"loop_\n_t.k1\n_t.k2\n_t.m\na b ?\n? b x\n",
         "ERROR - Key item \"_t.k1\" has invalid value \"?\" in row having:\n"
         "  item \"_t.k2\" with value = \"b\"\n" +
             kError +
             "mandatory item \"_t.k1\" has invalid value \"?\" in row: \"_t.k2\" == \"b\"\n" +
             kError +
             "mandatory item \"_t.m\" has invalid value \"?\" in row: \"_t.k1\" == \"a\", "
             "\"_t.k2\" == \"b\"\n"},
        // Row 2 is not reported against row 3; differing case is no repeat.
        {"loop_\n_t.k1\n_t.k2\n_t.m\na b 1\na b 2\na b 3\nA b 4\n",
         kRepeated + "  in row #1 are repeated in row #2\n" + kRepeated +
             "  in row #1 are repeated in row #3\n"},
        {"_t.k1 a\n", kError + "key item \"k2\" not found in category \"t\"\n" + kError +
                          "mandatory item \"k2\" is not in category \"t\"\n" + kError +
                          "mandatory item \"m\" is not in category \"t\"\n"},
        // "implicit" is looked at only without "yes" items.
        {"loop_\n_u.id\n_u.x\n. ?\n", "ERROR - Key item \"_u.id\" has invalid value \".\"\n"},
        {"loop_\n_atom_sites_alt.id\n.\n?\n",
         "ERROR - Key item \"_atom_sites_alt.id\" has invalid value \"?\"\n" + kError +
             "mandatory item \"_atom_sites_alt.id\" has invalid value \"?\"\n"},
        {"_v.a 1\n", kError + "no key items found in category \"v\"\n" + kError +
                         "no mandatory items found in category \"v\"\n"},
        {"_w.a 1\n", kError + "key item \"\" not found in category \"w\"\n" + kError +
                         "mandatory item \"\" is not in category \"w\"\n"},
    };
    std::unique_ptr<CifFile> dict = ReadCif(kDictionary);
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> data = ReadCif("data_b\n" + c.first);
        CifFileChecks checks;
        Block& block = FirstBlock(*data);
        Strings tables;
        block.GetTableNames(tables);
        checks.KeysAndMandatoryItems(block, *block.GetTablePtr(tables.at(0)), FirstBlock(*dict));
        EXPECT_EQ(c.second, checks.out.str()) << c.first;
    }
}

}  // namespace
