// write-mogdict end to end: the files written for TSZ with the hand-made Mogul
// results of tests/data/mogul, for each model.
#include <gtest/gtest.h>

#include "tool/ToolTestSupport.h"

#ifdef TESRA_ROVIDEV_BIN
namespace {

using namespace tooltest;

TEST(WriteMogdictEndToEnd, GeometryAndVetoFilesOfEachModel) {
    ScratchDir dir;
    const std::string exceptions =
        dir.write("x.dat",
                  "BOND NH1 C 1.35 0.015\nBOND S1 C 1.7 0.02\n"
                  "ANGLE NH1 C NH2 118.0 1.5\nANGLE C NH2 H 119.5 2.5\n");
    const std::string files = monomer("TSZ") + " " + data_path("mogul/TSZ-mogul.txt") + " g v";
    const struct {
        std::string args, expected, printed, err;
    } cases[] = {
        {"write-mogdict " + files, "TSZ.geometry", " Adding new plane S C N2 N3 suggested by mogul",
         ""},
        {"write-mogdict -ecloud " + files, "TSZ-ecloud.geometry", "", ""},
        {"write-mogdict-override " + files, "TSZ-override.geometry",
         " Not overriding angle N1 - C - N2 since mogul knows about it in this context\n"
         " Inserting override to 119.5+/-2.5 for angle C(C)-N1(NH2)-HN12(H)\n",
         "Inserting override for bond N2(NH1) to C(C)\n"
         "Not overriding bond C - S since mogul knows about it in this context\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult run =
            run_tool(dir.path(), c.args, "TESRA_EXCEPTION_DICTIONARY=" + exceptions);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(read_text(dir.file("g")), read_text(data_path("mogul/" + c.expected)));
        EXPECT_EQ(read_text(dir.file("v")), "VETO-PLANEBOND N2 HN31\n");
        EXPECT_NE(run.out.find(c.printed), std::string::npos) << run.out;
        EXPECT_EQ(run.err.find(c.err), 0u) << run.err;
    }
}

}  // namespace
#endif
