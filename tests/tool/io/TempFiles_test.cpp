#include "io/TempFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "io/FileText.h"
#include "support/Files.h"

namespace {

class TempFilesTest : public testing::Test {
protected:
    std::size_t files() const {
        return std::distance(std::filesystem::directory_iterator(dir), {});
    }
    const ScratchDir scratch;
    const std::string dir = scratch.path();
};

TEST_F(TempFilesTest, RemovedOnEveryWayOut) {
    const std::string a = make_temp_file(dir, "run-");
    EXPECT_NE(make_temp_file(dir, "run-"), a);
    remove_all_temp_files();
    EXPECT_EQ(files(), 0u);
    EXPECT_EXIT((make_temp_file(dir, "run-"), std::raise(SIGTERM)),
                testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(files(), 0u);
    EXPECT_THROW(make_temp_file(dir + "/missing", "run-"), std::runtime_error);
}

TEST_F(TempFilesTest, ReplaceFileTextIsAllOrNothing) {
    const std::string path = dir + "/dict.cif";
    write_text(path, "old");
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

TEST_F(TempFilesTest, ReplaceFileTextKeepsLinksPipesAndLongNames) {
    std::string text;
    // A symbolic link stays a link; its target (even one not there yet) gets the text.
    const std::string target = dir + "/target.cif", link = dir + "/link.cif",
                      dangling = dir + "/dangling.cif";
    write_text(target, "old");
    std::filesystem::create_symlink("target.cif", link);
    std::filesystem::create_symlink("later.cif", dangling);
    replace_file_text(link, "through the link\n");
    replace_file_text(dangling, "made\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    ASSERT_TRUE(read_file_text(target, text));
    EXPECT_EQ(text, "through the link\n");
    ASSERT_TRUE(read_file_text(dir + "/later.cif", text));
    EXPECT_EQ(text, "made\n");

    // A named pipe (like /dev/null or a terminal) is written, not replaced.
    const std::string pipe = dir + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    replace_file_text(pipe, "streamed\n");
    char buffer[64] = {};
    const ssize_t got = read(reader, buffer, sizeof buffer - 1);
    close(reader);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0), "streamed\n");
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));

    // A name near the 255-byte limit still leaves room for the temporary name.
    const std::string long_name = dir + "/" + std::string(250, 'n') + ".cif";
    replace_file_text(long_name, "long\n");
    ASSERT_TRUE(read_file_text(long_name, text));
    EXPECT_EQ(text, "long\n");
    EXPECT_EQ(files(), 6u);  // target, two links, later, pipe, long name: no temporary file left
}

}  // namespace
