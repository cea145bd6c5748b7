#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "support/Files.h"

namespace {

using Strings = std::vector<std::string>;

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(d)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && (name.compare(name.size() - 4, 4, ".cif") == 0 ||
                                    name.compare(name.size() - 4, 4, ".dic") == 0)) {
                files.push_back(dir + "/" + name);
            }
        }
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Read(CifFile& file, const std::string& path, const std::string& log) {
    CifParser parser(file);
    std::string diagnostics;
    parser.Parse(path, diagnostics, log);
    return diagnostics;
}

// Equal blocks, tables, columns and cells; a table without rows is not
// written, so it must be absent after the round trip.
void ExpectSameContent(CifFile& a, CifFile& b, const std::string& what) {
    std::vector<std::string> blocksA;
    std::vector<std::string> blocksB;
    a.GetBlockNames(blocksA);
    b.GetBlockNames(blocksB);
    ASSERT_EQ(blocksA, blocksB) << what;
    for (const std::string& blockName : blocksA) {
        Block& blockA = a.GetBlock(blockName);
        Block& blockB = b.GetBlock(blockName);
        std::vector<std::string> tablesA;
        std::vector<std::string> tablesB;
        blockA.GetTableNames(tablesA);
        blockB.GetTableNames(tablesB);
        tablesA.erase(std::remove_if(tablesA.begin(), tablesA.end(),
                                     [&](const std::string& t) {
                                         return blockA.GetTablePtr(t)->GetNumRows() == 0;
                                     }),
                      tablesA.end());
        ASSERT_EQ(tablesA, tablesB) << what << " block " << blockName;
        for (const std::string& tableName : tablesA) {
            ISTable& tableA = *blockA.GetTablePtr(tableName);
            ISTable& tableB = *blockB.GetTablePtr(tableName);
            ASSERT_EQ(tableA.GetColumnNames(), tableB.GetColumnNames()) << what << " " << tableName;
            ASSERT_EQ(tableA.GetNumRows(), tableB.GetNumRows()) << what << " " << tableName;
            for (unsigned int r = 0; r < tableA.GetNumRows(); ++r) {
                ASSERT_EQ(tableA.GetRow(r), tableB.GetRow(r))
                    << what << " " << tableName << " row " << r;
            }
        }
    }
}

void RoundTripDirectory(const std::string& dir, unsigned int expectedFiles) {
    ScratchDir temp;
    const std::string out = temp.file("out.cif");
    const std::string log = temp.file("parser.log");
    const std::vector<std::string> files = FilesIn(dir);
    EXPECT_GE(files.size(), expectedFiles);
    for (const std::string& path : files) {
        CifFile first;
        const std::string diagnostics = Read(first, path, log);
        if (path.find("/HIS.cif") != std::string::npos) {
            EXPECT_NE(diagnostics.find("line 1:"), std::string::npos) << diagnostics;
        } else {
            EXPECT_EQ(diagnostics, "") << path;
        }
        ASSERT_GT(first.GetNumBlocks(), 0u) << path;
        first.Write(out);
        CifFile second;
        EXPECT_EQ(Read(second, out, log), "") << path;
        ExpectSameContent(first, second, path);

        // The tool's layout: every table in the loop layout.
        first.SetLoopingAll();
        first.Write(out);
        CifFile third;
        EXPECT_EQ(Read(third, out, log), "") << path;
        ExpectSameContent(first, third, path + " (looped)");
    }
}

TEST(RoundTripTest, Monomers) {
    RoundTripDirectory(data_path("monomers"), 150);
}

TEST(RoundTripTest, MmcifEntries) {
    RoundTripDirectory(data_path("mmcif"), 3);
}

TEST(RoundTripTest, Dictionaries) {
    RoundTripDirectory(data_path("dict"), 2);
}

TEST(RoundTripTest, DictionaryIsOneSearchableBlock) {
    CifFile dictionary;
    ScratchDir temp;
    EXPECT_EQ(Read(dictionary, data_path("dict/mmcif_pdbx.dic"), temp.file("log")), "");
    ASSERT_EQ(dictionary.GetNumBlocks(), 1u);
    Block& block = dictionary.GetBlock(dictionary.GetFirstBlockName());
    ISTable* itemType = block.GetTablePtr("item_type");
    ASSERT_NE(itemType, nullptr);
    const unsigned int row = itemType->FindFirst(Strings{"_atom_site.id"}, Strings{"name"}, "");
    ASSERT_LT(row, itemType->GetNumRows());
    EXPECT_EQ((*itemType)(row, "code"), "code");
    ISTable* category = block.GetTablePtr("category");
    ASSERT_NE(category, nullptr);
    EXPECT_LT(category->FindFirst(Strings{"atom_site"}, Strings{"id"}, ""), category->GetNumRows());
    ISTable* key = block.GetTablePtr("category_key");
    ASSERT_NE(key, nullptr);
    EXPECT_LT(key->FindFirst(Strings{"atom_site", "_atom_site.id"}, Strings{"id", "name"}, ""),
              key->GetNumRows());
}

}  // namespace
