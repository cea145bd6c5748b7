#include "cif/Block.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/TableFile.h"
#include "foundation/Exceptions.h"

namespace {

using Names = std::vector<std::string>;

std::unique_ptr<ISTable> MakeTable(const std::string& name, const std::string& cell) {
    auto table = std::make_unique<ISTable>(name, CaseSensitive);
    table->AddColumn("c", Names());
    table->AddRow(Names{cell});
    return table;
}

void Give(Block& block, std::unique_ptr<ISTable> table) {
    block.WriteTable(table.get());
    table.release();
}

template <typename E, typename F>
void ExpectThrowWith(F f, const std::string& message, const std::string& location) {
    try {
        f();
        FAIL() << "no exception for " << message;
    } catch (const E& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find(message), std::string::npos) << what;
        EXPECT_NE(what.find(location), std::string::npos) << what;
    }
}

TEST(BlockTest, KeepsTablesInInsertionOrderAndReplacesInPlace) {
    Block block("b");
    Give(block, MakeTable("z", "1"));
    Give(block, MakeTable("a", "2"));
    Give(block, MakeTable("m", "3"));
    Names names{"stale"};
    block.GetTableNames(names);
    EXPECT_EQ(names, (Names{"z", "a", "m"}));

    auto replacement = MakeTable("a", "new");
    ISTable* const raw = replacement.get();
    Give(block, std::move(replacement));
    block.GetTableNames(names);
    EXPECT_EQ(names, (Names{"z", "a", "m"}));
    EXPECT_EQ(block.GetTablePtr("a"), raw);
    EXPECT_EQ(block.GetTablePtr("a")->GetRow(0), Names{"new"});
    EXPECT_TRUE(raw->IsModified());

    // The same object again changes nothing (and must not be deleted).
    block.WriteTable(raw);
    EXPECT_EQ(block.GetTablePtr("a"), raw);
    EXPECT_EQ(block.GetNumTables(), 3u);
}

TEST(BlockTest, LooksTablesUpByExactName) {
    Block block("b");
    Give(block, MakeTable("chem_comp", "1"));
    auto empty = std::make_unique<ISTable>("no_rows", CaseSensitive);
    Give(block, std::move(empty));
    EXPECT_TRUE(block.IsTablePresent("chem_comp"));
    EXPECT_TRUE(block.IsTablePresent("no_rows"));
    EXPECT_FALSE(block.IsTablePresent("CHEM_COMP"));
    EXPECT_FALSE(block.IsTablePresent(""));
    EXPECT_EQ(block.GetTablePtr("absent"), nullptr);
    EXPECT_EQ(block.GetTablePtr(""), nullptr);
}

TEST(BlockTest, RefusesBadTablesAndLeavesThemToTheCaller) {
    Block block("b");
    ExpectThrowWith<EmptyValueException>([&] { block.WriteTable(nullptr); }, "NULL ISTable pointer",
                                         "Block::WriteTable");
    auto unnamed = std::make_unique<ISTable>(CaseSensitive);
    ExpectThrowWith<EmptyValueException>([&] { block.WriteTable(unnamed.get()); },
                                         "Empty table name", "Block::AddTable");
    Block readOnly("r", READ_MODE);
    auto table = MakeTable("t", "1");
    ExpectThrowWith<FileModeException>([&] { readOnly.WriteTable(table.get()); },
                                       "Write table in read-only block", "Block::WriteTable");
    EXPECT_EQ(block.GetNumTables(), 0u);
    EXPECT_EQ(readOnly.GetNumTables(), 0u);
}

TEST(TableFileTest, BlocksByNameInInsertionOrder) {
    CifFile file;
    EXPECT_FALSE(file.GetEnumCaseSense());
    ExpectThrowWith<EmptyContainerException>([&] { file.GetFirstBlockName(); }, "TableFile empty",
                                             "TableFile::GetFirstBlockName");
    file.AddBlock("comp_list");
    Block& second = file.AddBlock("comp_ATP");
    EXPECT_EQ(&file.GetBlock("comp_ATP"), &second);
    EXPECT_EQ(file.GetFirstBlockName(), "comp_list");
    Names names{"stale"};
    file.GetBlockNames(names);
    EXPECT_EQ(names, (Names{"comp_list", "comp_ATP"}));

    ExpectThrowWith<AlreadyExistsException>([&] { file.AddBlock("comp_ATP"); }, "comp_ATP",
                                            "TableFile::AddBlock");
    ExpectThrowWith<EmptyValueException>([&] { file.AddBlock(""); }, "Empty block name",
                                         "TableFile::AddBlock");
    ExpectThrowWith<NotFoundException>([&] { file.GetBlock("absent"); }, "absent",
                                       "TableFile::GetBlock");
    EXPECT_EQ(file.GetNumBlocks(), 2u);
}

TEST(CifFileTest, DefaultsAndFlags) {
    CifFile file;
    EXPECT_EQ(file.GetMaxLineLength(), 80u);
    EXPECT_EQ(file.GetNullValue(), "?");
    EXPECT_EQ(file.GetFileMode(), VIRTUAL_MODE);
    file.SetEnumCaseSense(true);
    EXPECT_TRUE(file.GetEnumCaseSense());
    EXPECT_FALSE(file.IsLooping("t"));
    file.SetLooping("t");
    EXPECT_TRUE(file.IsLooping("t"));
    file.SetLooping("t", false);
    EXPECT_FALSE(file.IsLooping("t"));
    file.SetLoopingAll();
    EXPECT_TRUE(file.IsLooping("anything"));
}

}  // namespace
