// What the entry points of validation do with their arguments: the flags of
// each call, and a dictionary file without blocks.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

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
    char name[] = "/tmp/tesra-validate-XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(name));
    const std::string dir = name;
    for (const std::string earlier : {"", "earlier\n"}) {
        const std::string log = dir + "/check.log";
        std::ofstream(log) << earlier;
        std::unique_ptr<CifFile> data = ReadCif("data_b\n_z.a 1\n"), dict = ReadCif("");
        EXPECT_EQ(
            Throws("EmptyContainerException", "TableFile empty", "TableFile::GetFirstBlockName"),
            Thrown([&] { data->DataChecking(*dict, log, false, false); }));
        std::ifstream in(log);
        EXPECT_TRUE(in.is_open());
        EXPECT_EQ(earlier, std::string(std::istreambuf_iterator<char>(in),
                                       std::istreambuf_iterator<char>()));
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
