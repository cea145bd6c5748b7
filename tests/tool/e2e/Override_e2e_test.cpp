// override and write-qdict-override run by the built tool on real dictionaries
// with the exceptions dictionary shipped in data/.
#include <gtest/gtest.h>

#include <string>

#include "common/ExceptionDictionary.h"
#include "common/TextHelpers.h"
#include "tool/OpsTestSupport.h"

#ifdef TESRA_ROVIDEV_BIN
namespace {

using opstest::TempDir;

const std::string kShippedExceptions =
    TESRA_SOURCE_DIR "/data/autoFARNIX/tesra-data/tesra-exceptions.dat";

std::map<std::string, std::string> atom_types(Block& block) {
    std::map<std::string, std::string> types;
    for (auto& atom : opstest::table_rows(block, "chem_comp_atom"))
        types[atom["atom_id"]] = atom["type_energy"];
    return types;
}

TEST(OverrideEndToEnd, ChangesExactlyTheListedBondsInEitherOrder) {
    const ExceptionDictionary exceptions = load_exception_dictionary(kShippedExceptions);
    int changed = 0;
    for (const char* code : {"001", "000", "031", "11R", "188", "1CS", "1PD", "1PL"}) {
        SCOPED_TRACE(code);
        TempDir dir;
        const std::string input = dir.write("in.cif", opstest::read_file(opstest::monomer(code)));
        const opstest::ToolRun run = opstest::run_tool(dir, "override in.cif out.cif");
        ASSERT_EQ(run.status, 0) << run.err;

        auto before = opstest::load_dictionary(input);
        auto after = opstest::load_dictionary(dir.file("out.cif"));
        Block& old_block = opstest::compound_block(*before);
        Block& new_block = opstest::compound_block(*after);
        auto types = atom_types(old_block);
        const auto old_bonds = opstest::table_rows(old_block, "chem_comp_bond");
        const auto new_bonds = opstest::table_rows(new_block, "chem_comp_bond");
        ASSERT_EQ(old_bonds.size(), new_bonds.size());
        for (size_t i = 0; i < old_bonds.size(); ++i) {
            auto old_row = old_bonds[i];
            auto new_row = new_bonds[i];
            const auto found = exceptions.bond_overrides.find(
                {types[old_row["atom_id_1"]], types[old_row["atom_id_2"]]});
            if (found == exceptions.bond_overrides.end()) {
                EXPECT_EQ(new_row, old_row);
                continue;
            }
            ++changed;
            EXPECT_EQ(new_row["value_dist"], float_to_string(found->second.value, 3));
            EXPECT_EQ(new_row["value_dist_esd"], float_to_string(found->second.esd, 3));
            EXPECT_NE(run.err.find("Overriding bond from " + old_row["atom_id_1"]),
                      std::string::npos);
        }
        EXPECT_EQ(opstest::table_rows(new_block, "chem_comp_angle"),
                  opstest::table_rows(old_block, "chem_comp_angle"));
    }
    EXPECT_GT(changed, 0);
}

TEST(OverrideEndToEnd, AnglesFromADictionaryNamedInTheEnvironment) {
    TempDir dir;
    dir.write("in.cif", opstest::read_file(opstest::monomer("001")));
    const std::string exceptions = dir.write("angles.dat", "ANGLE CR16 CR6 CR16 118.47 1.5\n");
    const opstest::ToolRun run = opstest::run_tool(
        dir, "override in.cif out.cif", {{"TESRA_EXCEPTION_DICTIONARY", exceptions.c_str()}});
    ASSERT_EQ(run.status, 0) << run.err;
    auto after = opstest::load_dictionary(dir.file("out.cif"));
    Block& block = opstest::compound_block(*after);
    auto types = atom_types(block);
    int changed = 0;
    for (auto& angle : opstest::table_rows(block, "chem_comp_angle")) {
        const bool listed = types[angle["atom_id_1"]] == "CR16" &&
                            types[angle["atom_id_2"]] == "CR6" &&
                            types[angle["atom_id_3"]] == "CR16";
        if (!listed)
            continue;
        ++changed;
        EXPECT_EQ(angle["value_angle"], "118.5");
        EXPECT_EQ(angle["value_angle_esd"], "1.5");
    }
    EXPECT_GT(changed, 0);
}

TEST(OverrideEndToEnd, BadExceptionDictionaryStopsBeforeTheInputIsRead) {
    TempDir dir;
    dir.write("in.cif", opstest::read_file(opstest::monomer("001")));
    const std::string bad = dir.write("bad.dat", "BOND CH2 CH2 1.5\n");
    opstest::ToolRun run = opstest::run_tool(dir, "override in.cif out.cif",
                                             {{"TESRA_EXCEPTION_DICTIONARY", bad.c_str()}});
    EXPECT_EQ(run.status, 93);
    EXPECT_NE(run.err.find("Can't handle line\n  BOND CH2 CH2 1.5\nin file " + bad),
              std::string::npos);
    run = opstest::run_tool(dir, "override in.cif out.cif", {{"TESRA_EXCEPTION_DICTIONARY", ""}});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(" Problem opening \n"), std::string::npos);
    EXPECT_FALSE(std::ifstream(dir.file("out.cif")).good());
}

TEST(WriteQdictEndToEnd, UnwritableOutputIsAFailure) {
    TempDir dir;
    dir.write("in.cif", opstest::read_file(opstest::monomer("001")));
    const opstest::ToolRun run = opstest::run_tool(dir, "write-qdict in.cif no/such/dir/qdict.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot open output file no/such/dir/qdict.txt"), std::string::npos);
}

}  // namespace
#endif
