// Temporary files and whole-file replacement. That a failed write keeps the
// previous file, that nothing is left behind and that permissions stay are
// checked end to end by the driver and side-file tests.
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

std::size_t files(const std::string& dir) {
    return std::distance(std::filesystem::directory_iterator(dir), {});
}

TEST(TempFiles, RemovedOnEveryWayOut) {
    const ScratchDir scratch;
    const std::string dir = scratch.path();
    const std::string a = make_temp_file(dir, "run-");
    EXPECT_NE(make_temp_file(dir, "run-"), a);
    remove_all_temp_files();
    EXPECT_EQ(files(dir), 0u);
    EXPECT_EXIT((make_temp_file(dir, "run-"), std::raise(SIGTERM)),
                testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(files(dir), 0u);
    EXPECT_THROW(make_temp_file(dir + "/missing", "run-"), std::runtime_error);
    EXPECT_THROW(replace_file_text(dir, "x"), std::runtime_error);  // a directory
}

TEST(TempFiles, ReplaceFileTextKeepsLinksPipesAndLongNames) {
    const ScratchDir dir;
    // A symbolic link stays a link; its target (even one not there yet) gets the text.
    dir.write("target.cif", "old");
    std::filesystem::create_symlink("target.cif", dir.file("link.cif"));
    std::filesystem::create_symlink("later.cif", dir.file("dangling.cif"));
    replace_file_text(dir.file("link.cif"), "through the link\n");
    replace_file_text(dir.file("dangling.cif"), "made\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.cif")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dangling.cif")));
    EXPECT_EQ(read_text(dir.file("target.cif")), "through the link\n");
    EXPECT_EQ(read_text(dir.file("later.cif")), "made\n");

    // A named pipe (like /dev/null or a terminal) is written, not replaced.
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    const int reader = open(dir.file("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    replace_file_text(dir.file("pipe"), "streamed\n");
    char buffer[64] = {};
    const ssize_t got = read(reader, buffer, sizeof buffer - 1);
    close(reader);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0), "streamed\n");
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("pipe")));

    // A name near the 255-byte limit still leaves room for the temporary name.
    const std::string long_name = dir.file(std::string(250, 'n') + ".cif");
    replace_file_text(long_name, "long\n");
    EXPECT_EQ(read_text(long_name), "long\n");
    EXPECT_EQ(files(dir.path()), 6u);  // target, two links, later, pipe, long name: no temporary
}

}  // namespace
