// override, write-qdict and write-qdict-override run by the built tool on real
// dictionaries with the exceptions dictionary shipped in data/.
#include <gtest/gtest.h>

#include "common/ExceptionDictionary.h"
#include "common/TextHelpers.h"
#include "tool/ToolTestSupport.h"

#ifdef TESRA_ROVIDEV_BIN
namespace {

using namespace tooltest;

const std::string kShippedExceptions =
    TESRA_SOURCE_DIR "/data/autoFARNIX/tesra-data/tesra-exceptions.dat";

std::map<std::string, std::string> atom_types(Block& block) {
    std::map<std::string, std::string> types;
    for (auto& atom : table_rows(block, "chem_comp_atom"))
        types[atom["atom_id"]] = atom["type_energy"];
    return types;
}

TEST(OverrideEndToEnd, ChangesExactlyTheListedBondsInEitherOrder) {
    const ExceptionDictionary exceptions = load_exception_dictionary(kShippedExceptions);
    int changed = 0;
    for (const char* code : {"001", "000", "031", "11R", "188", "1CS", "1PD", "1PL"}) {
        SCOPED_TRACE(code);
        ScratchDir dir;
        const RunResult run = run_tool(dir.path(), "override " + monomer(code) + " out.cif");
        ASSERT_EQ(run.status, 0) << run.err;
        auto before = load_dictionary(monomer(code)), after = load_dictionary(dir.file("out.cif"));
        Block &old_block = compound_block(*before), &new_block = compound_block(*after);
        auto types = atom_types(old_block);
        RowMaps expected = table_rows(old_block, "chem_comp_bond");
        for (auto& row : expected) {
            const auto found =
                exceptions.bond_overrides.find({types[row["atom_id_1"]], types[row["atom_id_2"]]});
            if (found == exceptions.bond_overrides.end())
                continue;
            ++changed;
            row["value_dist"] = float_to_string(found->second.value, 3);
            row["value_dist_esd"] = float_to_string(found->second.esd, 3);
            EXPECT_NE(run.err.find("Overriding bond from " + row["atom_id_1"]), std::string::npos);
        }
        EXPECT_EQ(table_rows(new_block, "chem_comp_bond"), expected);
        EXPECT_EQ(table_rows(new_block, "chem_comp_angle"),
                  table_rows(old_block, "chem_comp_angle"));
    }
    EXPECT_GT(changed, 0);
}

TEST(OverrideEndToEnd, AnglesFromADictionaryNamedInTheEnvironment) {
    ScratchDir dir;
    const std::string exceptions = dir.write("angles.dat", "ANGLE CR16 CR6 CR16 118.47 1.5\n");
    const RunResult run = run_tool(dir.path(), "override " + monomer("001") + " out.cif",
                                   "TESRA_EXCEPTION_DICTIONARY=" + exceptions);
    ASSERT_EQ(run.status, 0) << run.err;
    auto after = load_dictionary(dir.file("out.cif"));
    Block& block = compound_block(*after);
    auto types = atom_types(block);
    int changed = 0;
    for (auto& angle : table_rows(block, "chem_comp_angle")) {
        if (types[angle["atom_id_1"]] + types[angle["atom_id_2"]] + types[angle["atom_id_3"]] !=
            "CR16CR6CR16")
            continue;
        ++changed;
        EXPECT_EQ(angle["value_angle"] + " " + angle["value_angle_esd"], "118.5 1.5");
    }
    EXPECT_GT(changed, 0);
}

// write-qdict-override differs from write-qdict in the lines of listed types only.
TEST(WriteQdictEndToEnd, OverridesOnlyWithTheOverrideOperation) {
    const ExceptionDictionary exceptions = load_exception_dictionary(kShippedExceptions);
    ScratchDir dir;
    for (const char* operation : {"write-qdict", "write-qdict-override"}) {
        const RunResult run = run_tool(
            dir.path(), std::string(operation) + " " + monomer("001") + " " + operation + ".txt");
        ASSERT_EQ(run.status, 0) << run.err;
    }
    auto dictionary = load_dictionary(monomer("001"));
    auto types = atom_types(compound_block(*dictionary));
    std::istringstream plain(read_text(dir.file("write-qdict.txt")));
    std::istringstream overridden(read_text(dir.file("write-qdict-override.txt")));
    int changed = 0, to_hydrogen = 0;
    for (std::string a, b; std::getline(plain, a) && std::getline(overridden, b);) {
        const Words w = split_at_blanks(a);
        ASSERT_GE(w.size(), 7u) << a;
        to_hydrogen += w[4] == "0.020";
        if (a == b)
            continue;
        ++changed;
        ASSERT_EQ(w[2], "BOND") << b;
        const OverrideValue& value = exceptions.bond_overrides.at({types[w[5]], types[w[6]]});
        EXPECT_EQ(b, "GEOMETRY " + w[1] + " BOND " + float_to_string(value.value, 3) + " " +
                         float_to_string(value.esd, 3) + " " + w[5] + " " + w[6] + " " + w[7]);
    }
    std::string more;
    EXPECT_FALSE(std::getline(overridden, more)) << more;
    EXPECT_GT(changed, 0);
    EXPECT_GT(to_hydrogen, 0);
}

}  // namespace
#endif
