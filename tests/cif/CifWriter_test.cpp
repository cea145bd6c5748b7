#include "cif/CifWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "foundation/Exceptions.h"

namespace {

using Cells = std::vector<std::string>;
using Form = CifWriter::Form;

// A block "b" holding one table "t" with the given columns and rows.
void AddTable(CifFile& file, const Cells& columns, const std::vector<Cells>& rows,
              const std::string& name = "t") {
    Block& block = file.IsBlockPresent("b") ? file.GetBlock("b") : file.AddBlock("b");
    auto table = std::make_unique<ISTable>(name, CaseSensitive);
    for (const std::string& column : columns) {
        table->AddColumn(column, Cells());
    }
    for (const Cells& row : rows) {
        table->AddRow(row);
    }
    block.WriteTable(table.get());
    table.release();
}

std::string WriteText(CifFile& file) {
    std::ostringstream out;
    file.Write(out);
    return out.str();
}

TEST(CifWriterTest, ClassifiesValues) {
    struct Case {
        const char* value;
        Form form;
    };
    const Case cases[] = {
        {"abc", Form::Bare},
        {"?", Form::Bare},
        {"1.5", Form::Bare},
        {"O5'", Form::Bare},
        {"a#b", Form::Bare},
        {"a b", Form::SingleQuoted},
        {"ADENOSINE-5'-TRIPHOSPHATE ", Form::SingleQuoted},
        {"O5' x", Form::DoubleQuoted},
        {"'lead", Form::SingleQuoted},
        {"\"lead", Form::SingleQuoted},
        {"_under", Form::SingleQuoted},
        {"#hash", Form::SingleQuoted},
        {"$ref", Form::SingleQuoted},
        {";semi", Form::SingleQuoted},
        {"[x", Form::SingleQuoted},
        {"a[1]", Form::SingleQuoted},
        {"data_x", Form::SingleQuoted},
        {"LOOP_", Form::SingleQuoted},
        {"Save_frame", Form::SingleQuoted},
        {"global_", Form::SingleQuoted},
        {"stop_", Form::SingleQuoted},
        {"database", Form::Bare},
        {"a\tb", Form::SingleQuoted},
        {"x' \"y\"z", Form::DoubleQuoted},
        {"x' y\" z", Form::TextField},
        {"two\nlines", Form::TextField},
        {"two\n;lines", Form::Unwritable},
        {"cr\rinside", Form::Unwritable},
        {"", Form::SingleQuoted},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CifWriter::Classify(c.value, 80), c.form) << "[" << c.value << "]";
    }
    const std::string longBare(81, 'x');
    EXPECT_EQ(CifWriter::Classify(longBare, 80), Form::TextField);
    EXPECT_EQ(CifWriter::Classify(std::string(80, 'x'), 80), Form::Bare);
    // Too long, but a text field cannot hold it: written on a long line instead.
    EXPECT_EQ(CifWriter::Classify(";" + longBare, 80), Form::SingleQuoted);
}

TEST(CifWriterTest, WritesPairsLoopsAndSkipsEmptyTables) {
    CifFile file;
    AddTable(file, {"id", "name"}, {{"ATP", "a b"}}, "one");
    AddTable(file, {"id", "v"}, {{"1", "x"}, {"22", ""}}, "two");
    AddTable(file, {"id"}, {}, "none");
    EXPECT_EQ(WriteText(file),
              "data_b\n"
              "_one.id   ATP\n"
              "_one.name 'a b'\n"
              "loop_\n_two.id\n_two.v\n"
              "1  x\n"
              "22 ?\n");
    file.SetLooping("one");
    EXPECT_EQ(WriteText(file).substr(0, 35), "data_b\nloop_\n_one.id\n_one.name\nATP ");
}

TEST(CifWriterTest, KeepsLinesWithinTheLineLength) {
    CifFile file(30);
    AddTable(file, {"a", "b", "c"}, {{"aaaaaaaaaa", "bbbbbbbbbb", "cccccccccc"}, {"1", "2", "3"}},
             "t");
    AddTable(file, {"long_attribute_name"}, {{"value_that_fills_the_line"}}, "p");
    const std::string text = WriteText(file);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), 30u) << line;
    }
    EXPECT_NE(text.find("_p.long_attribute_name\nvalue_that_fills_the_line\n"), std::string::npos)
        << text;
}

// Whatever the values, what is written reads back the same.
TEST(CifWriterTest, ValuesSurviveWriteAndRead) {
    const Cells values = {
        "plain",
        "a b",
        "O5'",
        "O5' x",
        "x' \"y\"z",
        "x' y\" z",
        "two\nlines",
        "\nlead break",
        "trail break\n",
        "_under",
        "#hash",
        "data_x",
        "loop_",
        "'q'",
        "\"q\"",
        "a[1]",
        "?",
        ".",
        std::string(200, 'z'),
        "tab\there",
        "end'",
        "semi;colon",
        " lead space",
        "trail space ",
        "ünïcødé",
    };
    for (const unsigned int lineLength : {80u, 20u}) {
        CifFile file(lineLength);
        Cells row;
        Cells columns;
        for (std::size_t i = 0; i < values.size(); ++i) {
            columns.push_back("c" + std::to_string(i));
        }
        AddTable(file, columns, {values}, "pairs");
        AddTable(file, columns, {values, values}, "loop");
        const std::string text = WriteText(file);

        CifFile back;
        CifParser parser(back);
        std::string diagnostics;
        parser.ParseString(text, diagnostics, "");
        ASSERT_EQ(diagnostics, "") << text;
        for (const char* table : {"pairs", "loop"}) {
            ISTable* t = back.GetBlock("b").GetTablePtr(table);
            ASSERT_NE(t, nullptr);
            for (unsigned int r = 0; r < t->GetNumRows(); ++r) {
                EXPECT_EQ(t->GetRow(r), values) << table << "\n" << text;
            }
        }
    }
}

TEST(CifWriterTest, RefusesWhatCannotBeWrittenNamingTableAndColumn) {
    CifFile file;
    AddTable(file, {"ok", "bad"}, {{"1", "text\n;closes"}}, "tab");
    try {
        WriteText(file);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("\"tab\""), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("\"bad\""), std::string::npos) << e.what();
    }
    CifFile names;
    AddTable(names, {"a b"}, {{"1"}}, "tab");
    EXPECT_THROW(WriteText(names), std::runtime_error);
    CifFile dotted;
    AddTable(dotted, {"a"}, {{"1"}}, "ta.b");
    EXPECT_THROW(WriteText(dotted), std::runtime_error);
}

TEST(CifWriterTest, WriteFailuresThrowFileException) {
    CifFile file;
    AddTable(file, {"a"}, {{"1"}});
    EXPECT_THROW(file.Write("/nonexistent/dir/out.cif"), FileException);
    // /dev/full accepts the open and refuses the data.
    if (FILE* f = std::fopen("/dev/full", "w")) {
        std::fclose(f);
        EXPECT_THROW(file.Write("/dev/full"), FileException);
    }
    std::ostringstream failed;
    failed.setstate(std::ios::badbit);
    EXPECT_THROW(file.Write(failed), FileException);
}

}  // namespace
