#include "foundation/MirtFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "foundation/Exceptions.h"

namespace {

std::string TempPath(const std::string& stem) {
    return ::testing::TempDir() + stem + "_" + std::to_string(::getpid());
}

}  // namespace

TEST(MirtFile, DeleteRemovesOnceThenReportsNotFound) {
    const std::string path = TempPath("mirtfile_delete");
    std::ofstream(path) << "x";
    MirtFile::Delete(path);
    EXPECT_FALSE(std::ifstream(path).good());
    try {
        MirtFile::Delete(path);
        FAIL() << "second delete succeeded";
    } catch (const NotFoundException& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Message: \"File \"" + path + "\" not found\" generated at: MirtFile::Delete\n");
    }
    try {
        MirtFile::Delete("");
        FAIL();
    } catch (const NotFoundException& e) {
        EXPECT_NE(std::string(e.what()).find("File \"\" not found"), std::string::npos);
    }
}

TEST(MirtFile, DeleteRefusesNameWithEmbeddedNul) {
    const std::string path = TempPath("mirtfile_nul");
    std::ofstream(path) << "keep me";
    EXPECT_THROW(MirtFile::Delete(path + std::string(1, '\0') + "x"), NotFoundException);
    EXPECT_TRUE(std::ifstream(path).good()) << "the shorter-named file was removed";
    MirtFile::Delete(path);
}

TEST(MirtFile, IsStreamEmpty) {
    const std::string path = TempPath("mirtfile_stream");
    {
        std::ofstream out(path, std::ios::trunc);
        EXPECT_TRUE(MirtFile::IsStreamEmpty(out));
        out << 'x';
        EXPECT_FALSE(MirtFile::IsStreamEmpty(out));  // unflushed data counts
    }
    MirtFile::Delete(path);

    std::ofstream failed("/nonexistent-dir/x/y");
    EXPECT_FALSE(MirtFile::IsStreamEmpty(failed));
}

TEST(MirtFile, GetBaseName) {
    const struct {
        const char* path;
        const char* base;
    } cases[] = {{"a/b/c", "c"},
                 {"c", "c"},
                 {"a/b/", ""},
                 {"/", ""},
                 {"", ""},
                 {"/a/b", "b"},
                 {"dir/file.cif ", "file.cif "}};
    for (const auto& c : cases) {
        std::string base = "stale";
        MirtFile::GetBaseName(base, c.path);
        EXPECT_EQ(base, c.base) << '"' << c.path << '"';
    }
}
