#include "cif/CifScanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Tok {
    CifTokenType type;
    std::string text;
    unsigned int line;
};

std::vector<Tok> Scan(const std::string& text) {
    CifScanner scanner(text.data(), text.data() + text.size());
    std::vector<Tok> tokens;
    for (;;) {
        const CifToken& t = scanner.Next();
        if (t.type == CifTokenType::End) {
            tokens.push_back({t.type, "", t.line});
            return tokens;
        }
        tokens.push_back({t.type, std::string(t.text), t.line});
    }
}

// Values of a text with one value token in it.
struct ValueCase {
    const char* input;
    const char* value;
};

TEST(CifScannerTest, ReadsOneValueOfEachForm) {
    const ValueCase cases[] = {
        {"abc", "abc"},
        {"?", "?"},
        {".", "."},
        {"'a b'", "a b"},
        {"\"a b\"", "a b"},
        // A quote closes only when whitespace or the end follows it.
        {"'ADENOSINE-5'-TRIPHOSPHATE '", "ADENOSINE-5'-TRIPHOSPHATE "},
        {"\"O5'\"", "O5'"},
        {"'O5''", "O5'"},
        {"'it's'\n", "it's"},
        {"''", ""},
        {"'a\"b'", "a\"b"},
        {"a'b", "a'b"},
        {"a#b", "a#b"},
        {"x;y", "x;y"},
        // Text fields: the framing line breaks are not part of the value.
        {";\nline1\nline2\n;", "line1\nline2"},
        {";first\nsecond\n;", "first\nsecond"},
        {";\n;", ""},
        {";\n\n\n;", "\n"},
        {";\r\nline1\r\nline2\r\n;", "line1\nline2"},
        {";\rline1\rline2\r;", "line1\nline2"},
        {";\n a;b\n ;c\n;", " a;b\n ;c"},
    };
    for (const ValueCase& c : cases) {
        const std::vector<Tok> tokens = Scan(c.input);
        ASSERT_EQ(tokens.size(), 2u) << c.input;
        EXPECT_EQ(tokens[0].type, CifTokenType::Value) << c.input;
        EXPECT_EQ(tokens[0].text, c.value) << c.input;
    }
}

TEST(CifScannerTest, RecognisesReservedWordsAndTags) {
    const std::vector<Tok> tokens =
        Scan("data_ABC DATA_x loop_ LOOP_ _cat.item save_frame save_ global_ Data_ok\n");
    const std::vector<std::pair<CifTokenType, std::string>> expected = {
        {CifTokenType::DataHeader, "ABC"}, {CifTokenType::DataHeader, "x"},
        {CifTokenType::Loop, "loop_"},     {CifTokenType::Loop, "LOOP_"},
        {CifTokenType::Tag, "_cat.item"},  {CifTokenType::SaveHeader, "frame"},
        {CifTokenType::SaveEnd, ""},       {CifTokenType::Global, "global_"},
        {CifTokenType::DataHeader, "ok"},  {CifTokenType::End, ""},
    };
    ASSERT_EQ(tokens.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(tokens[i].type, expected[i].first) << i;
        EXPECT_EQ(tokens[i].text, expected[i].second) << i;
    }
}

TEST(CifScannerTest, CountsLinesForEveryLineEnd) {
    for (const char* eol : {"\n", "\r\n", "\r"}) {
        const std::string e = eol;
        const std::string text = "data_a" + e + "# comment 'unclosed" + e + "_x.y 1" + e + ";" + e +
                                 "t1" + e + "t2" + e + ";" + e + e + "last";
        const std::vector<Tok> tokens = Scan(text);
        ASSERT_EQ(tokens.size(), 6u);
        EXPECT_EQ(tokens[0].line, 1u);
        EXPECT_EQ(tokens[1].line, 3u);  // _x.y
        EXPECT_EQ(tokens[2].line, 3u);  // 1
        EXPECT_EQ(tokens[3].line, 4u);  // text field starts
        EXPECT_EQ(tokens[3].text, "t1\nt2");
        EXPECT_EQ(tokens[4].line, 9u);  // last
        EXPECT_EQ(tokens[4].text, "last");
    }
}

TEST(CifScannerTest, SemicolonStartsATextFieldOnlyAtLineStart) {
    const std::vector<Tok> tokens = Scan("a ;b\n;c\n;");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[1].text, ";b");
    EXPECT_EQ(tokens[2].text, "c");
}

TEST(CifScannerTest, ReportsLexicalErrorsAndGoesOn) {
    struct ErrorCase {
        const char* input;
        unsigned int errorLine;
        const char* next;  // the value read after the error
    };
    const ErrorCase cases[] = {
        {"'open\nnext", 1, "next"},   {"\"open\r\nnext", 1, "next"}, {"x\nloop_a next", 2, "next"},
        {"global_x next", 1, "next"}, {"stop_ next", 1, "next"},     {"data_ next", 1, "next"},
    };
    for (const ErrorCase& c : cases) {
        const std::vector<Tok> tokens = Scan(c.input);
        bool sawError = false;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (tokens[i].type == CifTokenType::Error) {
                sawError = true;
                EXPECT_EQ(tokens[i].line, c.errorLine) << c.input;
                ASSERT_LT(i + 1, tokens.size());
                EXPECT_EQ(tokens[i + 1].text, c.next) << c.input;
            }
        }
        EXPECT_TRUE(sawError) << c.input;
    }
    const std::vector<Tok> unterminated = Scan("a\n;\nnever closed\n");
    ASSERT_EQ(unterminated.size(), 3u);
    EXPECT_EQ(unterminated[1].type, CifTokenType::Error);
    EXPECT_EQ(unterminated[1].line, 2u);
}

}  // namespace
