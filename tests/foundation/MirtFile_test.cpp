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
    MirtFile::Delete(path);
    EXPECT_FALSE(std::ifstream(path).good());
    EXPECT_THROW(MirtFile::Delete(path), NotFoundException);
    std::ofstream out(path);
    EXPECT_TRUE(MirtFile::IsStreamEmpty(out));
    out << 'x';
    EXPECT_FALSE(MirtFile::IsStreamEmpty(out));  // unflushed data counts
}

TEST(MirtFile, GetBaseName) {
    const char* const cases[][2] = {{"a/b/c", "c"}, {"c", "c"}, {"a/b/", ""},
                                    {"/", ""},      {"", ""},   {"dir/file.cif ", "file.cif "}};
    for (const auto& c : cases) {
        std::string base = "stale";
        MirtFile::GetBaseName(base, c[0]);
        EXPECT_EQ(base, c[1]) << '"' << c[0] << '"';
    }
}
