// The entry points of validation: the checks of each block, their report in
// a stream or a log file, and the dictionary's pdbx_ item tables.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "foundation/Exceptions.h"
#include "support/ExceptionText.h"
#include "validate/CheckTestSupport.h"

namespace {

// t.n is an int; under the pdbx_ choice t.n is also mandatory and t.id an int.
const std::string kDictionary =
    "data_dict\nloop_\n_category.id\n_category.mandatory_code\nentry yes\nt no\n"
    "loop_\n_category_key.id\n_category_key.name\nentry '_entry.id'\nt '_t.id'\n"
    "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n'_entry.id' entry yes\n"
    "'_t.id' t yes\n'_t.n' t no\n_item_type.name '_t.n'\n_item_type.code int\n"
    "_item_type_list.code int\n_item_type_list.primitive_code numb\n"
    "_item_type_list.construct '[0-9]+'\n_pdbx_item.name '_t.n'\n_pdbx_item.mandatory_code yes\n"
    "_pdbx_item_type.name '_t.id'\n_pdbx_item_type.code int\n";

const std::string kError = "ERROR - In block \"b\", ";
const std::string kClean = "data_b\n_entry.id 1\nloop_\n_t.id\n_t.n\n1 2\n";
// A block of findings of every category check, and its report.
std::string Odd(const std::string& block) {
    return "data_" + block + "\n_u.a 1\nloop_\n_t.id\n_t.n\n? ?\n2 .\n";
}
std::string OddReport(const std::string& block) {
    const std::string error = "ERROR - In block \"" + block + "\", ";
    return "ERROR - category \"entry\" is mandatory, but it is not present in datablock \"" +
           block + "\"\n" + error + "category \"u\" is not defined in the reference file\n" +
           error + "in category \"u\", item \"a\" is not defined in the reference file\n" +
           "ERROR - Key item \"_t.id\" has invalid value \"?\"\n" + error +
           "mandatory item \"_t.id\" has invalid value \"?\"\nWARNING - In block \"" + block +
           "\", in category \"t\", row 1 contains all null values.\n";
}

struct BlockCase {
    std::string block;
    bool usePdbxItemTables;
    std::string report;  // the status is 1 exactly when it is empty
};

class BlockChecks : public testing::TestWithParam<BlockCase> {};

TEST_P(BlockChecks, ReportInOrder) {
    std::unique_ptr<CifFile> dict = ReadCif(kDictionary);
    std::unique_ptr<CifFile> data = ReadCif(GetParam().block);
    std::ostringstream out;
    const int status = data->BlockDataChecking(FirstBlock(*data), FirstBlock(*dict), out, false,
                                               GetParam().usePdbxItemTables);
    EXPECT_EQ(GetParam().report, out.str());
    EXPECT_EQ(GetParam().report.empty(), status == 1);
}

const std::string kOverlaid = "data_b\n_entry.id 1\nloop_\n_t.id\n_t.n\nx ?\n2 z\n";
const std::string kZ = kError +
                       "data type pattern of value \"z\" for \"_t.n\" does not match, in "
                       "row #2\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockChecks,
    testing::Values(BlockCase{kClean, false, ""}, BlockCase{kClean, true, ""},
                    BlockCase{Odd("b"), false, OddReport("b")},
                    // Each item takes its pdbx_ rows where it has them.
                    BlockCase{kOverlaid, false, kZ},
                    BlockCase{kOverlaid, true,
                              kError +
                                  "mandatory item \"_t.n\" has invalid value \"?\" in row: "
                                  "\"_t.id\" == \"x\"\n" +
                                  kError +
                                  "data type pattern of value \"x\" for \"_t.id\" does not "
                                  "match, in row #1\n" +
                                  kZ}));

class DataChecking : public testing::Test {
protected:
    DataChecking() {
        char name[] = "/tmp/tesra-validate-XXXXXX";
        dir = ::mkdtemp(name) != nullptr ? name : "/nonexistent";
        log = dir + "/check.log";
    }
    ~DataChecking() override { std::filesystem::remove_all(dir); }

    static std::string Text(const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    int Check(const std::string& data, const std::string& dictionary = kDictionary) {
        std::unique_ptr<CifFile> dict = ReadCif(dictionary);
        return ReadCif(data)->DataChecking(*dict, log, false, false);
    }

    std::string dir, log;
};

TEST_F(DataChecking, AppendsEachBlockReportThenAnEmptyLine) {
    std::ofstream(log) << "earlier\n";
    EXPECT_EQ(0, Check(Odd("a") + "data_c\n_entry.id 1\n" + Odd("b"),
                       kDictionary + "data_more\n_x.y 1\ndata_last\n_x.y 1\n"));
    const std::string text = "earlier\nWARNING - dictionary has 3 datablocks\n" + OddReport("a") +
                             "\n" + OddReport("b") + "\n";
    EXPECT_EQ(text, Text(log));
    // Clean blocks, or none, add nothing.
    EXPECT_EQ(1, Check(kClean));
    EXPECT_EQ(0, Check(""));
    EXPECT_EQ(text, Text(log));
}

// Only an empty regular file is deleted, never through a link. (Devices
// such as /dev/null are kept too; a test run as root must not risk it.)
TEST_F(DataChecking, DeletesALogThatStaysEmpty) {
    EXPECT_EQ(1, Check(kClean));
    EXPECT_FALSE(std::filesystem::exists(log));
    const std::string target = dir + "/target";
    std::ofstream(target).close();
    std::filesystem::create_symlink(target, log);
    EXPECT_EQ(1, Check(kClean));
    EXPECT_TRUE(std::filesystem::is_symlink(log));
    EXPECT_TRUE(std::filesystem::exists(target));
}

TEST_F(DataChecking, FailuresAreReported) {
    log = dir + "/missing/check.log";
    EXPECT_EQ(Line("Cannot open log file \"" + log + "\" for appending: No such file or directory",
                   "CifFile::DataChecking"),
              Thrown<FileException>([&] { Check(kClean); }));
    // What a block reported before a check failed stays in the log.
    log = dir + "/check.log";
    EXPECT_EQ(Line("Invalid CIF item \"bad\"", "CifString::GetCategoryFromCifItem"),
              Thrown<EmptyValueException>(
                  [&] { Check("data_b\n_category.id x\n_item.name bad\n_item.category_id x\n"); }));
    EXPECT_EQ(OddReport("b").substr(0, OddReport("b").find('\n') + 1) + "\n", Text(log));
    // A dictionary without category_key fails before the block is checked.
    std::unique_ptr<CifFile> dict = ReadCif("data_dict\n_category.id t\n_item.name '_t.id'\n");
    std::unique_ptr<CifFile> data = ReadCif(Odd("b"));
    std::ostringstream out;
    EXPECT_EQ(
        Line("Table \"category_key\" not found in block \"dict\"", "CifFile::_CheckCategories"),
        Thrown<NotFoundException>([&] {
            data->BlockDataChecking(FirstBlock(*data), FirstBlock(*dict), out, false, false);
        }));
    EXPECT_EQ("", out.str());
}

}  // namespace
