// The key and mandatory-item checks of one data table, through a whole check
// of a block, and the null-key report on its own.

#include <gtest/gtest.h>

#include "support/Thrown.h"
#include "validate/CheckTestSupport.h"

namespace {

// n: neither key nor mandatory item; o: only implicit-ordinal items; k: two
// keys; atom_sites_alt: "." is a valid key value.
const std::string kDictionary =
    "data_dict\nloop_\n_category.id\n_category.mandatory_code\nn no\no no\nk no\n"
    "atom_sites_alt no\n"
    "loop_\n_category_key.id\n_category_key.name\no '_o.id'\nk '_k.k1'\nk '_k.k2'\n"
    "atom_sites_alt '_atom_sites_alt.id'\n"
    "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n'_n.x' n no\n"
    "'_o.id' o implicit-ordinal\n'_o.v' o implicit-ordinal\n'_k.k1' k yes\n'_k.k2' k yes\n"
    "'_atom_sites_alt.id' atom_sites_alt yes\n";

const std::string kError = "ERROR - In block \"b\", ";

std::string NullKey(const std::string& item, const std::string& value, const std::string& other,
                    const std::string& otherValue) {
    return "ERROR - Key item \"" + item + "\" has invalid value \"" + value +
           "\" in row having:\n  item \"" + other + "\" with value = \"" + otherValue + "\"\n";
}

// {tables of block "b", report}
TEST(KeyMandatoryChecks, ReportLines) {
    const std::pair<std::string, std::string> cases[] = {
        {"_n.x 1\n", kError + "no key items found in category \"n\"\n" + kError +
                         "no mandatory items found in category \"n\"\n"},
        // Without "yes" and "implicit" items the "implicit-ordinal" ones are
        // examined.
        {"loop_\n_o.id\n_o.v\n1 ?\n",
         kError + "mandatory item \"_o.v\" has invalid value \"?\" in row: \"_o.id\" == \"1\"\n"},
        // Rows with a null key are not reported again as repeated keys, not
        // even with the one key whose "." is valid.
        {"loop_\n_k.k1\n_k.k2\n. b\n. b\n",
         NullKey("_k.k1", ".", "_k.k2", "b") + NullKey("_k.k1", ".", "_k.k2", "b")},
        {"loop_\n_k.k1\n_k.k2\na ?\na ?\n",
         NullKey("_k.k2", "?", "_k.k1", "a") + NullKey("_k.k2", "?", "_k.k1", "a") + kError +
             "mandatory item \"_k.k2\" has invalid value \"?\" in row: \"_k.k1\" == \"a\"\n" +
             kError +
             "mandatory item \"_k.k2\" has invalid value \"?\" in row: \"_k.k1\" == \"a\"\n"},
        {"loop_\n_atom_sites_alt.id\n.\n.\n", ""},
    };
    std::unique_ptr<CifFile> dict = ReadCif(kDictionary);
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> data = ReadCif("data_b\n" + c.first);
        std::ostringstream out;
        data->BlockDataChecking(FirstBlock(*data), FirstBlock(*dict), out, false, false);
        EXPECT_EQ(c.second, out.str()) << c.first;
    }
}

// Nothing to report without keys or rows, whatever the keys are named; a key
// that is no column fails on the first row.
TEST(KeyMandatoryChecks, NullKeysOnTheirOwn) {
    const struct {
        Strings keys;
        TableText table;
        std::string report;
    } cases[] = {
        {{""}, {"t", "a", ""}, ""},
        {{"gone"}, {"t", "a", ""}, ""},
        {{}, {"t", "a", "?"}, ""},
        {{"id", "n"},
         {"atom_sites_alt", "id n", ". ? ? 1"},
         "ERROR - Key item \"_atom_sites_alt.n\" has invalid value \"?\" in row having:\n"
         "  item \"_atom_sites_alt.id\" with value = \".\"\n" +
             NullKey("_atom_sites_alt.id", "?", "_atom_sites_alt.n", "1")},
        {{"gone"}, {"t", "a", "1"}, "NotFoundException"},
    };
    for (const auto& c : cases) {
        Dictionary data({c.table}, "b");
        CifFileChecks checks;
        const std::string thrown =
            Thrown([&] { checks.NullKeys(c.keys, *data.block.GetTablePtr(c.table.name)); });
        EXPECT_EQ(c.report,
                  checks.out.str() +
                      (thrown == "nothing thrown" ? "" : thrown.substr(0, thrown.find(':'))))
            << Join(c.keys);
    }
}

}  // namespace
