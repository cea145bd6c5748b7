// What the entry points of validation do with their arguments: the flags of
// each call, a dictionary file without blocks, what a broken dictionary lets
// the earlier steps report, and the notices of each block.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/Files.h"
#include "support/Thrown.h"
#include "validate/CheckTestSupport.h"

namespace {

const std::string kDictionary =
    "data_dict\n_category.id x\n_category.mandatory_code no\n_category_key.id x\n"
    "_category_key.name '_x.id'\n_item.name '_x.id'\n_item.category_id x\n"
    "_item.mandatory_code yes\n";

// A dictionary block checked as data: _c.x has neither type nor parents.
const std::string kDdl =
    "data_d\n_category.id c\nloop_\n_item.name\n_item.category_id\n'_c.x' c\n'_c.y' c\n"
    "_item_type.name '_c.y'\n_item_type.code int\n";

// Each call takes the flag it is given, on one file, in both orders.
TEST(BlockDataChecking, SkipsUntypedItemsWhenAsked) {
    const std::string untyped =
        "ERROR - In block \"d\", item \"_c.x\" does not have item type code defined and has no "
        "parents.\n";
    std::unique_ptr<CifFile> dict = ReadCif(kDictionary), data = ReadCif(kDdl);
    const auto check = [&](bool skipUntypedItems) {
        std::ostringstream out;
        data->BlockDataChecking(FirstBlock(*data), FirstBlock(*dict), out, skipUntypedItems, false);
        return out.str();
    };
    const std::string skipped = check(true);
    EXPECT_EQ(std::string::npos, skipped.find(untyped));
    EXPECT_EQ(skipped + untyped, check(false));
    EXPECT_EQ(skipped, check(true));
}

// The run ends before any block is checked; the log stays as it was.
TEST(DataChecking, DictionaryFileWithoutBlocks) {
    const ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    for (const std::string earlier : {"", "earlier\n"}) {
        const std::string log = dir.write("check.log", earlier);
        std::unique_ptr<CifFile> data = ReadCif("data_b\n_z.a 1\n"), dict = ReadCif("");
        EXPECT_EQ(
            Throws("EmptyContainerException", "TableFile empty", "TableFile::GetFirstBlockName"),
            Thrown([&] { data->DataChecking(*dict, log, false, false); }));
        EXPECT_TRUE(std::filesystem::exists(log));
        EXPECT_EQ(earlier, read_text(log));
    }
}

// A dictionary that fails where the category checks need it: the lines of
// the steps before stay in the report, and an unread column does not fail.
TEST(BlockDataChecking, DictionaryFailsWhereItIsRead) {
    const std::string dict =
        "data_dict\nloop_\n_category.id\n_category.mandatory_code\nt no\nmust yes\n"
        "_category_key.id t\n_category_key.name '_t.id'\nloop_\n_item.name\n"
        "_item.category_id\n_item.mandatory_code\n'_t.id' t yes\n'_t.n' t no\n"
        "_item_type.name '_t.n'\n_item_type.code int\n_item_type_list.code int\n"
        "_item_type_list.primitive_code numb\n_item_type_list.construct '[0-9]+'\n";
    const std::string missing =
        "ERROR - category \"must\" is mandatory, but it is not present in datablock \"b\"\n";
    const std::string partMatch =
        "ERROR - In block \"b\", in item \"_t.n\", in row #1, value \"1a\" does not "
        "correspond to item's type. The expected type is \"int\".\n";
    const struct {
        std::string dictTail, value, report;
    } cases[] = {
        {"_pdbx_item_linked_group.category_id t\n_pdbx_item_linked_group.link_group_id 1\n", "1",
         missing + "Message: \"Empty item linked group list table\" generated at: "
                   "CifParentChild::CifParentChild\n"},
        // item_aliases without its name column is read only for a part match.
        {"_item_aliases.alias_name old\n", "1", missing},
        {"_item_aliases.alias_name old\n", "1a",
         missing + "Message: \"Column \"name\" not found in the table \"item_aliases\"\" "
                   "generated at: ISTable::GetColumnIndex\n"},
        {"_item_aliases.name '_t.n'\n_item_aliases.alias_name old\n", "1a",
         missing + "ERROR - In block \"b\", in item \"_t.n\" (its alias is: \"old\"), in row #1, "
                   "value \"1a\" does not correspond to item's type. The expected type is "
                   "\"int\".\n"},
        {"", "1a", missing + partMatch},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> data = ReadCif("data_b\n_t.id 1\n_t.n " + c.value + "\n"),
                                 dictionary = ReadCif(dict + c.dictTail);
        std::ostringstream out;
        try {
            data->BlockDataChecking(FirstBlock(*data), FirstBlock(*dictionary), out, false, false);
        } catch (const MirtException& e) {
            out << e.what();
        }
        EXPECT_EQ(c.report, out.str()) << c.dictTail;
    }
}

// The relations are built once per run, but each block shows the notices
// that building them prints.
TEST(DataChecking, EachBlockShowsTheRelationNotices) {
    const std::string dict =
        "data_dict\nloop_\n_category.id\n_category.mandatory_code\na no\nc no\n"
        "loop_\n_category_key.id\n_category_key.name\na '_a.id'\nc '_c.id'\nloop_\n"
        "_item.name\n_item.category_id\n_item.mandatory_code\n'_a.id' a yes\n'_c.id' c yes\n"
        "'_c.a_id' c no\n_item_linked.child_name '_c.a_id'\n_item_linked.parent_name '_a.id'\n";
    const std::string notice =
        "Info: Creating a new group \"1\" for child category \"c\" for child item \"_c.a_id\" "
        "and parent item \"_a.id\", from \"item_linked\" table, as these are not defined in "
        "group tables.\n";
    const ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    for (const int blocks : {1, 2, 3}) {
        std::string text;
        for (int b = 0; b < blocks; ++b) text += "data_b" + std::to_string(b) + "\n_c.id 1\n";
        std::unique_ptr<CifFile> data = ReadCif(text), dictionary = ReadCif(dict);
        testing::internal::CaptureStdout();
        data->DataChecking(*dictionary, dir.file("check.log"), false, false);
        std::string expected;
        for (int b = 0; b < blocks; ++b) expected += notice;
        EXPECT_EQ(expected, testing::internal::GetCapturedStdout());
    }
}

}  // namespace
