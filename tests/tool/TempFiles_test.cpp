#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "FileText.h"
#include "TempFiles.h"

namespace {

class TempFilesTest : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/tesra-tempfiles-test-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::size_t files() const { return std::distance(std::filesystem::directory_iterator(dir), {}); }

    std::string dir;
};

TEST_F(TempFilesTest, RemovedOnEveryWayOut) {
    const std::string a = make_temp_file(dir, "run-");
    EXPECT_NE(make_temp_file(dir, "run-"), a);
    remove_all_temp_files();
    EXPECT_EQ(files(), 0u);
    EXPECT_EXIT((make_temp_file(dir, "run-"), std::exit(7)), testing::ExitedWithCode(7), "");
    EXPECT_EQ(files(), 0u);
    EXPECT_EXIT((make_temp_file(dir, "run-"), std::raise(SIGTERM)), testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(files(), 0u);
    EXPECT_THROW(make_temp_file(dir + "/missing", "run-"), std::runtime_error);
}

TEST_F(TempFilesTest, ReplaceFileTextIsAllOrNothing) {
    const std::string path = dir + "/dict.cif";
    std::ofstream(path) << "old";
    ASSERT_EQ(chmod(path.c_str(), 0604), 0);
    replace_file_text(path, "new text\n");
    std::string text;
    ASSERT_TRUE(read_file_text(path, text));
    EXPECT_EQ(text, "new text\n");
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0604));

    // A target that cannot take the file leaves nothing behind.
    EXPECT_THROW(replace_file_text(dir + "/missing/dict.cif", "x"), std::runtime_error);
    EXPECT_THROW(replace_file_text(dir, "x"), std::runtime_error);
    EXPECT_EQ(files(), 1u);
    EXPECT_FALSE(read_file_text(dir, text));
}

}  // namespace
