#include "foundation/MirtFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "foundation/Exceptions.h"
#include "support/Files.h"

TEST(MirtFile, DeleteRemovesOnlyTheNamedFile) {
    ScratchDir dir;
    const std::string path = dir.write("f", "x");
    // A name with a NUL must not remove the file its first part names.
    EXPECT_THROW(MirtFile::Delete(path + std::string(1, '\0') + "x"), NotFoundException);
    EXPECT_TRUE(std::ifstream(path).good());
    MirtFile::Delete(path);
    EXPECT_FALSE(std::ifstream(path).good());
    EXPECT_THROW(MirtFile::Delete(path), NotFoundException);
    EXPECT_THROW(MirtFile::Delete(""), NotFoundException);
}

TEST(MirtFile, IsStreamEmptyCountsUnflushedData) {
    ScratchDir dir;
    std::ofstream out(dir.file("f"));
    EXPECT_TRUE(MirtFile::IsStreamEmpty(out));
    out << 'x';
    EXPECT_FALSE(MirtFile::IsStreamEmpty(out));
    std::ofstream failed(dir.file("no/such/dir"));
    EXPECT_FALSE(MirtFile::IsStreamEmpty(failed));
}

TEST(MirtFile, GetBaseName) {
    const std::pair<const char*, const char*> cases[] = {{"a/b/c", "c"},
                                                         {"c", "c"},
                                                         {"a/b/", ""},
                                                         {"/", ""},
                                                         {"", ""},
                                                         {"/a/b", "b"},
                                                         {"dir/file.cif ", "file.cif "}};
    for (const auto& c : cases) {
        std::string base = "stale";
        MirtFile::GetBaseName(base, c.first);
        EXPECT_EQ(base, c.second) << '"' << c.first << '"';
    }
}
