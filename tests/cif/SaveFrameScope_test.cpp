#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"

// Each save frame sees a category afresh, though the reader keeps its
// bookkeeping of a category from frame to frame and block to block.
struct FrameCase {
    std::string name;  // the test's name in ctest: Frames/SaveFrameScopeTest...../<name>
    std::string text;
    std::string diagnostics;
    std::string block;
    std::vector<std::string> itemNames;  // column "name" of table "item"
};

class SaveFrameScopeTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(SaveFrameScopeTest, EachFrameStartsItsCategoriesAfresh) {
    CifFile file;
    std::string diagnostics;
    CifParser(file).ParseString(GetParam().text, diagnostics, "");
    EXPECT_EQ(diagnostics, GetParam().diagnostics);
    std::vector<std::string> names;
    file.GetBlock(GetParam().block).GetTablePtr("item")->GetColumn(names, "name");
    EXPECT_EQ(names, GetParam().itemNames);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, SaveFrameScopeTest,
    ::testing::Values(FrameCase{"LoopThenPairInNextFrame",
                                "data_d\nsave__a.x\nloop_\n_item.name\n'_a.x'\n'_a.y'\nsave_\n"
                                "save__a.z\n_item.mandatory_code no\nsave_\n",
                                "",
                                "d",
                                {"_a.x", "_a.y", "_a.z"}},
                      FrameCase{"ItemGivenTwiceInOneFrame",
                                "data_d\nsave__a.x\n_item.name '_a.x'\nsave_\n"
                                "save__a.y\n_item.name '_a.y'\n_item.name '_a.w'\nsave_\n",
                                "ERROR - line 7: item \"_item.name\" given twice\n",
                                "d",
                                {"_a.x", "_a.y"}},
                      // The categories of one frame in the order of the frame before.
                      FrameCase{"SameOrderAsTheFrameBefore",
                                "data_d\nsave__a.x\n_item.name '_a.x'\n_item_type.code int\nsave_\n"
                                "save__a.y\n_item.name '_a.y'\n_item_type.code int\nsave_\n"
                                "save__a.z\n_item.name '_a.z'\n_item_type.code int\n"
                                "_item.name '_a.w'\nsave_\n",
                                "ERROR - line 13: item \"_item.name\" given twice\n",
                                "d",
                                {"_a.x", "_a.y", "_a.z"}},
                      FrameCase{"NextBlockStartsAfresh",
                                "data_d\nsave__a.x\n_item.mandatory_code no\nsave_\n"
                                "data_e\nsave__b.x\n_item.mandatory_code yes\nsave_\n",
                                "",
                                "e",
                                {"_b.x"}}),
    [](const ::testing::TestParamInfo<FrameCase>& info) { return info.param.name; });
