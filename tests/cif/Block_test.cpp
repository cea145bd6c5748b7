// Blocks and files of tables, and the exact error texts of the CIF layer in
// one table.

#include "cif/Block.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "support/Thrown.h"

namespace {

using Names = std::vector<std::string>;

ISTable* MakeTable(const std::string& name, const std::string& cell) {
    auto table = std::make_unique<ISTable>(name, CaseSensitive);
    table->AddColumn("c", Names());
    table->AddRow(Names{cell});
    return table.release();
}

}  // namespace

TEST(Block, TablesInInsertionOrderReplacedInPlace) {
    Block block("b");
    for (const char* name : {"z", "a", "m"}) block.WriteTable(MakeTable(name, "1"));
    ISTable* const replacement = MakeTable("a", "new");
    block.WriteTable(replacement);
    block.WriteTable(replacement);  // the same object again changes nothing
    Names names{"stale"};
    block.GetTableNames(names);
    EXPECT_EQ(names, (Names{"z", "a", "m"}));
    EXPECT_EQ(block.GetTablePtr("a"), replacement);
    EXPECT_TRUE(replacement->IsModified());
    EXPECT_FALSE(block.IsTablePresent("A"));  // names compare exactly
    EXPECT_FALSE(block.IsTablePresent(""));
    EXPECT_EQ(block.GetTablePtr("absent"), nullptr);

    CifFile file;
    file.AddBlock("comp_list");
    Block& second = file.AddBlock("comp_ATP");
    EXPECT_EQ(&file.GetBlock("comp_ATP"), &second);
    EXPECT_EQ(file.GetFirstBlockName(), "comp_list");
    file.GetBlockNames(names);
    EXPECT_EQ(names, (Names{"comp_list", "comp_ATP"}));
}

TEST(CifErrors, ExactTexts) {
    Block block("b"), readOnly("r", READ_MODE);
    std::unique_ptr<ISTable> unnamed(new ISTable(CaseSensitive)), table(MakeTable("t", "1"));
    CifFile empty, file, badValue, badName, badTable;
    file.AddBlock("comp_ATP").WriteTable(MakeTable("t", "1"));
    badValue.AddBlock("b").WriteTable(MakeTable("tab", "text\n;closes"));
    badName.AddBlock("b").WriteTable(MakeTable("t", "1"));
    badName.GetBlock("b").GetTablePtr("t")->RenameColumn("c", "a b");
    badTable.AddBlock("b").WriteTable(MakeTable("ta.b", "1"));
    std::ostringstream out, failed;
    failed.setstate(std::ios::badbit);
    std::string diagnostics;
    const auto refused = [](const std::string& text) {
        return Throws("std::runtime_error", text + " cannot be written as CIF in CifWriter::Write");
    };
    const char *Ev = "EmptyValueException", *Nf = "NotFoundException";
    const struct {
        std::function<void()> action;
        std::string thrown;
    } cases[] = {
        {[&] { block.WriteTable(nullptr); },
         Throws(Ev, "NULL ISTable pointer", "Block::WriteTable")},
        {[&] { block.WriteTable(unnamed.get()); },
         Throws(Ev, "Empty table name", "Block::AddTable")},
        {[&] { readOnly.WriteTable(table.get()); },
         Throws("FileModeException", "Write table in read-only block", "Block::WriteTable")},
        {[&] { empty.GetFirstBlockName(); },
         Throws("EmptyContainerException", "TableFile empty", "TableFile::GetFirstBlockName")},
        {[&] { file.AddBlock("comp_ATP"); },
         Throws("AlreadyExistsException", "Block \"comp_ATP\" already exists",
                "TableFile::AddBlock")},
        {[&] { file.AddBlock(""); }, Throws(Ev, "Empty block name", "TableFile::AddBlock")},
        {[&] { file.GetBlock("absent"); },
         Throws(Nf, "Block \"absent\" not found", "TableFile::GetBlock")},
        {[&] { CifParser(file).Parse("/nonexistent/x.cif", diagnostics); },
         Throws(Nf, "File \"/nonexistent/x.cif\" cannot be opened", "CifParser::Parse")},
        {[&] { CifParser(file).Parse("/tmp", diagnostics); },
         Throws(Nf, "File \"/tmp\" cannot be opened", "CifParser::Parse")},
        {[&] { badValue.Write(out); }, refused("Value in table \"tab\" column \"c\"")},
        {[&] { badName.Write(out); }, refused("Column name \"a b\"")},
        {[&] { badTable.Write(out); }, refused("Table name \"ta.b\"")},
        {[&] { file.Write(failed); }, "FileException: "},
        {[&] { file.Write("/nonexistent/dir/out.cif"); }, "FileException: "},
    };
    for (const auto& c : cases) {
        const std::string thrown = Thrown(c.action);
        if (c.thrown == "FileException: ")  // the cause in the text is the system's
            EXPECT_EQ(thrown.rfind(c.thrown, 0), 0u) << thrown;
        else
            EXPECT_EQ(thrown, c.thrown);
    }
    EXPECT_EQ(block.GetNumTables() + readOnly.GetNumTables(), 0u);
    EXPECT_EQ(file.GetNumBlocks(), 1u);
    // /dev/full takes the open and refuses the data.
    if (std::ofstream("/dev/full").good()) {
        EXPECT_THROW(file.Write("/dev/full"), FileException);
    }
}
