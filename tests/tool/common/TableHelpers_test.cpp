#include "common/TableHelpers.h"

#include <gtest/gtest.h>

#include "cif/Block.h"
#include "table/ISTable.h"
#include "tool/OpsTestSupport.h"

namespace {

using opstest::add_table;

TEST(TableHelpers, ColumnsInTheOrderAskedMissingOnesReadAsUnknown) {
    Block block("comp_LIG");
    const ISTable& atoms =
        add_table(block, "chem_comp_atom", {"comp_id", "atom_id", "type_energy"},
                  {{"LIG", "C1", "CH3"}, {"LIG", "O1", "OH1"}, {"LIG", "C1", "CR6"}});
    const std::map<std::string, int> indices = get_column_indices(atoms);
    EXPECT_EQ(indices,
              (std::map<std::string, int>{{"comp_id", 0}, {"atom_id", 1}, {"type_energy", 2}}));

    testing::internal::CaptureStderr();
    const TableRows rows =
        get_table_columns(block, "chem_comp_atom", {"type_energy", "charge", "atom_id"});
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("chem_comp_atom"), std::string::npos);
    EXPECT_NE(messages.find("charge"), std::string::npos);
    EXPECT_EQ(rows, (TableRows{{"CH3", "?", "C1"}, {"OH1", "?", "O1"}, {"CR6", "?", "C1"}}));

    EXPECT_EQ(read_atom_types(block), (AtomTypeMap{{"C1", "CR6"}, {"O1", "OH1"}}));

    add_table(block, "chem_comp_bond", {"atom_id_1"}, {});
    EXPECT_TRUE(get_table_columns(block, "chem_comp_bond", {"atom_id_1"}).empty());
}

TEST(TableHelpers, MissingTableEndsTheRun) {
    Block block("comp_LIG");
    EXPECT_RUN_END(get_table_columns(block, "chem_comp_tor", {"id"}), 1,
                   " Data table chem_comp_tor not found!");
}

}  // namespace
