#include "io/CommentKeeper.h"

#include <gtest/gtest.h>

#include "io/CifOutline.h"

namespace {

const std::string dictionary =
    "global_\n_lib_name         ?\n_lib_version      ?\n"
    "# --- LIST OF MONOMERS ---\n"
    "data_comp_list\n_chem_comp.id ABC\n_chem_comp.name 'A #1 compound'\n"
    "# --- DESCRIPTION ---\n#\n"
    "data_comp_ABC\n"
    "#\n"
    "loop_\n_chem_comp_atom.comp_id\n_chem_comp_atom.atom_id\n ABC C1\n"
    "# between rows\n"
    " ABC C2   # trailing remark stays with the parser\n"
    "loop_\n_chem_comp_tor.id\n"
    "loop_\n_chem_comp_bond.atom_id_1\n_chem_comp_bond.note\nC1\n;\n# inside a text field\n;\n"
    "# end of file\n";

// The writer's layout differs from the input's; each run goes back before the
// element that followed it.
TEST(CommentKeeper, RestoreBesideTheSameElements) {
    const struct {
        const char* what;
        std::string input, written, restored;
    } cases[] = {
        {"a dictionary", dictionary,
         "data_comp_list\nloop_\n_chem_comp.id\n_chem_comp.name\nABC 'A #1 compound'\n"
         "data_comp_ABC\nloop_\n_chem_comp_atom.comp_id\n_chem_comp_atom.atom_id\n"
         "_chem_comp_atom.x\nABC C1 1.000\nABC C2 2.000\n"
         "loop_\n_chem_comp_bond.atom_id_1\n_chem_comp_bond.note\nC1\n;\n# inside a text "
         "field\n;\n",
         "# --- LIST OF MONOMERS ---\n"
         "data_comp_list\nloop_\n_chem_comp.id\n_chem_comp.name\nABC 'A #1 compound'\n"
         "# --- DESCRIPTION ---\n#\ndata_comp_ABC\n#\n"
         "loop_\n_chem_comp_atom.comp_id\n_chem_comp_atom.atom_id\n_chem_comp_atom.x\n"
         "ABC C1 1.000\n# between rows\nABC C2 2.000\n"
         "loop_\n_chem_comp_bond.atom_id_1\n_chem_comp_bond.note\nC1\n;\n# inside a text field\n;\n"
         "# end of file\n"},
        {"row 2 of t and the whole of u gone: the next table takes them",
         "data_a\nloop_\n_t.x\n1\n2\n# before row 3 of t\n3\n# before table u\n"
         "loop_\n_u.x\n7\nloop_\n_w.x\n8\n",
         "data_a\nloop_\n_t.x\n1\n2\nloop_\n_w.x\n8\n",
         "data_a\nloop_\n_t.x\n1\n2\n# before row 3 of t\n# before table u\nloop_\n_w.x\n8\n"},
        {"nothing of the block left: the end takes them",
         "data_a\nloop_\n_t.x\n1\n# before row 2 of t\n2\n", "data_b\n_z.y 1",
         "data_b\n_z.y 1\n# before row 2 of t\n"},
        {"between loop names and values: after the names",
         "data_a\n# before loop\nloop_\n_t.x\n# after names\n_t.y\n1 2\n",
         "data_a\nloop_\n_t.x\n_t.y\n1 2\n",
         "data_a\n# before loop\nloop_\n_t.x\n_t.y\n# after names\n1 2\n"},
        {"never inside a text field: row 1 starts on the line closing it",
         "data_a\nloop_\n_t.x\n_t.y\n1 2\n# c\n3 4\n",
         "data_a\nloop_\n_t.x\n_t.y\n1\n;\ntext\n; 3 4\n",
         "data_a\nloop_\n_t.x\n_t.y\n1\n;\ntext\n; 3 4\n# c\n"},
        {"line ends and blank lines inside a run", "# one\r\n\r\n   # two\r\ndata_a\r\n_t.x 1\r\n",
         "data_a\nloop_\n_t.x\n1\n", "# one\n\n   # two\ndata_a\nloop_\n_t.x\n1\n"},
        {"carriage returns", "data_a\r# c\r_t.x '# no'\r", "data_a\n_t.x '# no'\n",
         "data_a\n# c\n_t.x '# no'\n"},
    };
    for (const auto& c : cases) {
        CommentKeeper keeper;
        const std::string stripped = keeper.strip(c.input);
        // Comments, a leading global_ section and empty loops are blanked, keeping lines.
        EXPECT_EQ(split_lines(stripped).size(), split_lines(c.input).size()) << c.what;
        EXPECT_EQ(keeper.restore(c.written), c.restored) << c.what;
    }
}

TEST(CommentKeeper, UnterminatedQuotesAndTextFieldsDoNotDerail) {
    // Broken input still gives one stripped line per input line.
    for (const std::string input :
         {"data_a\n_t.x 'open\n# c\n", "data_a\n_t.x\n;\nnever closed\n# inside\n", "loop_\n", "",
          "#", "data_\n_\n"}) {
        CommentKeeper keeper;
        EXPECT_EQ(split_lines(keeper.strip(input)).size(), split_lines(input).size()) << input;
        keeper.restore(input);
    }
}

}  // namespace
