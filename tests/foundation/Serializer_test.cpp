#include "foundation/Serializer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BlockFileTestUtil.h"
#include "foundation/Exceptions.h"

using namespace blockfile_test;

namespace {

typedef std::vector<UInt32> Words;
typedef std::vector<std::string> Texts;

class SerializerTest : public ScratchDir {
protected:
    std::string file() const { return Path("items.bin"); }
};

// Entry i of the index, from the file's bytes.
Words EntryAt(const Bytes& bytes, UInt32 i) {
    return WordsAt(bytes, WordAt(bytes, 0, 0) + i / 256, 32 * (i % 256), 8);
}

std::string Pattern(std::size_t size, char seed) {
    std::string text(size, ' ');
    for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>(seed + i % 23);
    return text;
}

std::string ReadText(Serializer& ser, UInt32 n) {
    std::string text;
    ser.ReadString(text, n);
    return text;
}

// What a failed call throws: a library exception's text or a standard one's.
std::string Failure(const std::function<void()>& action) {
    try {
        action();
    } catch (const MirtException& exc) {
        return exc.what();
    } catch (const std::out_of_range& exc) {
        return exc.what();
    }
    return "no exception";
}

}  // namespace

TEST_F(SerializerTest, OneNumberAndEmptyFileLayouts) {
    {
        Serializer ser(file(), CREATE_MODE);
        EXPECT_EQ(ser.WriteUInt32(7), 0u);
    }
    Bytes bytes = ReadBytes(file());
    ASSERT_EQ(bytes.size(), 24576u);
    EXPECT_EQ(WordsAt(bytes, 0, 0, 8), (Words{2, 1, 32, 1, 0, 0, 0, 1}));
    EXPECT_EQ(WordAt(bytes, 1, 0), 7u);
    EXPECT_EQ(WordsAt(bytes, 2, 0, 8), (Words{1, 0, 4, 9, 4, 0, 0, 0}));

    { Serializer ser(file(), CREATE_MODE); }
    bytes = ReadBytes(file());
    ASSERT_EQ(bytes.size(), 16384u);
    EXPECT_EQ(WordsAt(bytes, 0, 0, 8), (Words{1, 0, 0, 0, 0, 0, 0, 1}));
    Serializer ser(file(), UPDATE_MODE);
    EXPECT_EQ(ser.GetNumIndices(), 0u);
}

TEST_F(SerializerTest, ItemLayoutsReservationsAndValues) {
    const std::string binary("a\0b\xff\n", 5);
    struct Case {
        const char* what;
        std::function<UInt32(Serializer&)> write;
        std::function<bool(Serializer&)> readsBack;
        UInt32 type, length, vLength;
        Words data;  // leading words of the item
    };
    const Case cases[] = {
        {"number",
         [](Serializer& s) { return s.WriteUInt32(0xA1B2C3D4); },
         [](Serializer& s) { return s.ReadUInt32(0) == 0xA1B2C3D4; },
         9,
         4,
         4,
         {0xA1B2C3D4}},
        {"numbers",
         [](Serializer& s) {
             return s.WriteUInt32s({5, 0xFFFFFFFF});
         },
         [](Serializer& s) {
             Words w{9};
             s.ReadUInt32s(w, 0);
             return w == Words{5, 0xFFFFFFFF};
         },
         10,
         12,
         12,
         {2, 5, 0xFFFFFFFF}},
        {"no numbers",
         [](Serializer& s) { return s.WriteUInt32s({}); },
         [](Serializer& s) {
             Words w{9};
             s.ReadUInt32s(w, 0);
             return w.empty();
         },
         10,
         4,
         4,
         {0}},
        {"string of 5",
         [&](Serializer& s) { return s.WriteString(binary); },
         [&](Serializer& s) { return ReadText(s, 0) == binary; },
         2,
         9,
         12,
         {5, 0xFF620061}},
        {"empty string",
         [](Serializer& s) { return s.WriteString(""); },
         [](Serializer& s) { return ReadText(s, 0).empty(); },
         2,
         4,
         4,
         {0}},
        {"strings",
         [](Serializer& s) {
             return s.WriteStrings({"ab", "", "cde"});
         },
         [](Serializer& s) {
             Texts t;
             s.ReadStrings(t, 0);
             return t == Texts{"ab", "", "cde"};
         },
         1,
         21,
         24,
         {3, 2, 0, 3, 0x64636261}},
        {"no strings",
         [](Serializer& s) { return s.WriteStrings({}); },
         [](Serializer& s) {
             Texts t{"x"};
             s.ReadStrings(t, 0);
             return t.empty();
         },
         1,
         4,
         4,
         {0}},
    };
    for (const auto& c : cases) {
        {
            Serializer ser(file(), CREATE_MODE);
            EXPECT_EQ(c.write(ser), 0u) << c.what;
            EXPECT_EQ(ser.WriteUInt32(99), 1u) << c.what;
        }
        const Bytes bytes = ReadBytes(file());
        EXPECT_EQ(EntryAt(bytes, 0), (Words{1, 0, c.length, c.type, c.vLength, 0, 0, 0})) << c.what;
        EXPECT_EQ(EntryAt(bytes, 1)[1], c.vLength) << c.what;  // next item
        EXPECT_EQ(WordsAt(bytes, 1, 0, static_cast<UInt32>(c.data.size())), c.data) << c.what;
        Serializer ser(file(), READ_MODE);
        EXPECT_TRUE(c.readsBack(ser)) << c.what;
        EXPECT_EQ(ser.ReadUInt32(1), 99u) << c.what;
    }
}

TEST_F(SerializerTest, ItemsSpanBlocksAndNeverStartAtBlockEnd) {
    const std::string big = Pattern(10000, 'a');
    Texts texts;
    Words words(5000);
    for (UInt32 i = 0; i < words.size(); ++i) {
        texts.push_back(Pattern(i % 7, 'q'));
        words[i] = i * 7919;
    }
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString(big);                                // blocks 1 and 2
        ser.WriteUInt32(5);                                  // block 2, offset 1812
        ser.WriteString(Pattern(8192 - 1816 - 4 - 4, 'z'));  // to byte 8188
        ser.WriteUInt32(6);                                  // the block's last word
        ser.WriteUInt32(7);                                  // block 3, offset 0
        ser.WriteStrings(texts);
        ser.WriteUInt32s(words);
    }
    const Bytes bytes = ReadBytes(file());
    EXPECT_EQ(EntryAt(bytes, 1), (Words{2, 1812, 4, 9, 4, 0, 0, 0}));
    EXPECT_EQ(WordsAt(bytes, 2, 8188, 1), Words{6});
    EXPECT_EQ(EntryAt(bytes, 4)[0], 3u);
    EXPECT_EQ(EntryAt(bytes, 4)[1], 0u);

    Serializer ser(file(), READ_MODE);
    EXPECT_EQ(ReadText(ser, 0), big);
    EXPECT_EQ(ser.ReadUInt32(3), 6u);
    Texts textsRead;
    ser.ReadStrings(textsRead, 5);
    EXPECT_EQ(textsRead, texts);
    Words wordsRead;
    ser.ReadUInt32s(wordsRead, 6);
    EXPECT_EQ(wordsRead, words);
}

TEST_F(SerializerTest, IndexOverTwoBlocks) {
    {
        Serializer ser(file(), CREATE_MODE);
        for (UInt32 i = 0; i < 300; ++i) ser.WriteUInt32(i * 3);
    }
    const Bytes bytes = ReadBytes(file());
    EXPECT_EQ(bytes.size(), 4u * 8192);
    EXPECT_EQ(WordsAt(bytes, 0, 0, 4), (Words{2, 2, 9600, 300}));
    EXPECT_EQ(WordsAt(bytes, 3, 43 * 32, 2), (Words{1, 299 * 4}));  // 44th entry

    Serializer ser(file(), READ_MODE);
    ASSERT_EQ(ser.GetNumIndices(), 300u);
    for (UInt32 i = 0; i < 300; ++i) ASSERT_EQ(ser.ReadUInt32(i), i * 3) << i;
}

TEST_F(SerializerTest, UpdatesInPlaceOrMovedReadBack) {
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("hello");  // vLength 12
        ser.WriteUInt32s({1, 2, 3});
        ser.WriteStrings({"abc"});  // length 11, vLength 12
        ser.WriteUInt32(1);
        EXPECT_EQ(ser.UpdateString("12345678", 0), 0u);
        EXPECT_EQ(ser.UpdateStrings({"", ""}, 2), 2u);   // exactly 12
        EXPECT_EQ(ser.UpdateStrings({"a", ""}, 2), 4u);  // 13: moved
        EXPECT_EQ(ser.GetNumIndices(), 5u);
        EXPECT_EQ(Failure([&] { ser.UpdateStrings({"x"}, 2); }),
                  Line("Attempt to update deleted index", "Serializer::UpdateStrings"));
    }
    {
        Serializer ser(file(), UPDATE_MODE);
        ASSERT_EQ(ser.GetNumIndices(), 4u);  // the moved entry is dropped
        EXPECT_EQ(ser.UpdateString("bye", 0), 0u);
        EXPECT_EQ(ser.UpdateUInt32s({4, 5, 6, 7}, 1), 4u);
        EXPECT_EQ(ser.UpdateUInt32(9, 2), 2u);
        EXPECT_EQ(ser.UpdateString("123456789", 0), 5u);  // needs 13
    }
    // Moved items are renumbered after the entries that remain.
    Serializer ser(file(), READ_MODE);
    ASSERT_EQ(ser.GetNumIndices(), 4u);
    EXPECT_EQ(ser.ReadUInt32(0), 9u);
    Texts texts;
    ser.ReadStrings(texts, 1);
    EXPECT_EQ(texts, (Texts{"a", ""}));
    Words words;
    ser.ReadUInt32s(words, 2);
    EXPECT_EQ(words, (Words{4, 5, 6, 7}));
    EXPECT_EQ(ReadText(ser, 3), "123456789");
}

TEST_F(SerializerTest, DeletionsAndReopening) {
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("zero");
        ser.WriteString(Pattern(20000, 'x'));
        ser.WriteString("two");
        ser.Delete(1);
        ser.Delete(1);  // twice changes nothing
    }
    {
        Serializer ser(file(), UPDATE_MODE);
        ASSERT_EQ(ser.GetNumIndices(), 2u);
        EXPECT_EQ(ReadText(ser, 1), "two");
        ser.Delete(1);
        EXPECT_EQ(ser.WriteUInt32(5), 2u);  // where the deleted ones began
    }
    const Bytes bytes = ReadBytes(file());
    EXPECT_EQ(WordAt(bytes, 0, 0), 2u);
    EXPECT_EQ(EntryAt(bytes, 2), (Words{1, 8, 4, 9, 4, 0, 0, 0}));

    // Nothing live: the index must still go where a reader looks for it.
    {
        Serializer ser(file(), UPDATE_MODE);
        ser.Delete(0);
        ser.Delete(1);
    }
    EXPECT_EQ(WordAt(ReadBytes(file()), 0, 0), 2u);
    {
        Serializer ser(file(), UPDATE_MODE);
        EXPECT_EQ(ser.GetNumIndices(), 0u);
        EXPECT_EQ(ser.WriteString("again"), 0u);
    }
    Serializer ser(file(), READ_MODE);
    ASSERT_EQ(ser.GetNumIndices(), 1u);
    EXPECT_EQ(ReadText(ser, 0), "again");
}

// The buffer goes back only to the block that it holds: reads between
// appends, and in-place rewrites that end at a block boundary or run on into
// the next block, must leave every other item intact.
TEST_F(SerializerTest, UpdateModeKeepsNeighbouringItems) {
    for (const std::size_t size : {std::size_t{8188}, std::size_t{9000}}) {
        {
            Serializer ser(file(), CREATE_MODE);
            ser.WriteString(Pattern(size, 'a'));
            ser.WriteString("neighbour");
        }
        {
            Serializer ser(file(), UPDATE_MODE);
            EXPECT_EQ(ser.WriteUInt32(2), 2u);
            EXPECT_EQ(ReadText(ser, 0), Pattern(size, 'a'));
            EXPECT_EQ(ser.WriteString("tail"), 3u);
            EXPECT_EQ(ser.UpdateString(Pattern(size, 'n'), 0), 0u) << size;
        }
        {
            Serializer ser(file(), UPDATE_MODE);
            EXPECT_EQ(ReadText(ser, 1), "neighbour");
            EXPECT_EQ(ser.UpdateString(Pattern(size, 'm'), 0), 0u) << size;
        }
        Serializer ser(file(), READ_MODE);
        EXPECT_EQ(ReadText(ser, 0), Pattern(size, 'm')) << size;
        EXPECT_EQ(ReadText(ser, 1), "neighbour") << size;
        EXPECT_EQ(ser.ReadUInt32(2), 2u) << size;
        EXPECT_EQ(ReadText(ser, 3), "tail") << size;
    }
}

TEST_F(SerializerTest, WriteAtIndex) {
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteStringAtIndex("first", 0);  // an append reserves its room
        ser.WriteUInt32sAtIndex({7, 8}, 1);
        ser.WriteStringAtIndex("FIRST", 0);
        EXPECT_THROW(ser.WriteStringAtIndex("too long!", 0), InvalidStateException);
        ser.WriteString("x");
        ser.Delete(2);
        EXPECT_THROW(ser.WriteStringAtIndex("x", 2), InvalidStateException);
        EXPECT_EQ(Failure([&] { ser.WriteUInt32AtIndex(1, 4); }),
                  "Invalid index in Serializer::WriteUInt32AtIndex");
    }
    Serializer ser(file(), READ_MODE);
    EXPECT_EQ(ReadText(ser, 0), "FIRST");
    Words words;
    ser.ReadUInt32s(words, 1);
    EXPECT_EQ(words, (Words{7, 8}));
}

TEST_F(SerializerTest, ModeKindAndIndexChecks) {
    std::string text;
    Texts texts;
    Words words;
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("s");
        ser.WriteUInt32(1);
        ser.WriteStrings({"a"});
        ser.WriteUInt32s({1});
        const std::pair<std::function<void()>, std::string> cases[] = {
            {[&] { ser.ReadString(text, 0); },
             Line("Read attempt in write-only file", "Serializer::ReadString")},
            {[&] { ser.ReadUInt32s(words, 9); },
             Line("Read attempt in write-only file", "Serializer::ReadUInt32s")},
            {[&] { ser.UpdateUInt32s({}, 3); },
             Line("Empty words vector", "Serializer::UpdateUInt32s")},
            {[&] { ser.UpdateStrings({}, 2); },
             Line("Empty strings vector", "Serializer::UpdateStrings")},
            {[&] { ser.UpdateStrings({"a"}, 0); },
             Line("Attempt to update non-String", "Serializer::UpdateStrings")},
            {[&] { ser.UpdateUInt32(1, 0); },
             Line("Attempt to update non-UInt32", "Serializer::UpdateUInt32")},
            {[&] { ser.UpdateString("a", 4); }, "Invalid index in Serializer::UpdateString"},
            {[&] { ser.Delete(4); }, "Invalid index in Serializer::Delete"},
        };
        for (const auto& c : cases) EXPECT_EQ(Failure(c.first), c.second);
        EXPECT_EQ(ser.GetNumIndices(), 4u);
    }

    Serializer ser(file(), READ_MODE);
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { ser.WriteString("x"); },
         Line("Write attempt in read-only file", "Serializer::WriteStringAtIndex")},
        {[&] { ser.UpdateString("x", 0); },
         Line("Update attempt in read-only file", "Serializer::UpdateString")},
        {[&] { ser.Delete(0); },
         Line("Delete index attempt in read-only file", "Serializer::Delete")},
        {[&] { ser.ReadString(text, 1); },
         Line("Attempt to read non-string", "Serializer::ReadString")},
        {[&] { ser.ReadUInt32(0); }, Line("Attempt to read non-UInt32", "Serializer::ReadUInt32")},
        {[&] { ser.ReadStrings(texts, 3); },
         Line("Attempt to read non-Strings", "Serializer::ReadStrings")},
        {[&] { ser.ReadUInt32s(words, 2); },
         Line("Attempt to read non-UInt32s", "Serializer::ReadUInt32s")},
        {[&] { ser.ReadString(text, 4); }, "Invalid index in Serializer::ReadString"},
    };
    for (const auto& c : cases) EXPECT_EQ(Failure(c.first), c.second);
}

// ---------------------------------------------------------------------------
// Damaged files

TEST_F(SerializerTest, DamagedHeaderIsRefused) {
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("hello");
        ser.WriteUInt32s({1, 2, 3});
    }
    const Bytes good = ReadBytes(file());
    const std::string where = "Serializer::_ReadFileHeader";
    const std::string inconsistent = Line("Read file header size is inconsistent", where);
    const std::string content = Line("File header content is inconsistent", where);
    const std::pair<std::function<void(Bytes&)>, std::string> cases[] = {
        {[](Bytes& b) { PutWordAt(b, 0, 8, 96); }, inconsistent},
        {[](Bytes& b) { PutWordAt(b, 0, 0, 1); }, inconsistent},
        {[](Bytes& b) { PutWordAt(b, 0, 4, 0); }, inconsistent},
        {[](Bytes& b) { PutWordAt(b, 0, 0, 3); }, "Invalid block number in BlockIO::ReadBlock"},
        {[](Bytes& b) { b.resize(2 * 8192 + 40); }, content},
        {[](Bytes& b) {
             PutWordAt(b, 0, 8, 300 * 32);
             PutWordAt(b, 0, 12, 300);
         },
         content},
        {[](Bytes& b) {
             b.resize(4 * 8192);
             PutWordAt(b, 0, 4, 2);
         },
         content},  // wraps
        {[](Bytes& b) {
             PutWordAt(b, 0, 8, 0xFFFFFFE0);
             PutWordAt(b, 0, 12, 0x07FFFFFF);
         },
         content},
    };
    for (const auto& c : cases) {
        Bytes bytes = good;
        c.first(bytes);
        WriteBytes(file(), bytes);
        EXPECT_EQ(Failure([&] { Serializer ser(file(), READ_MODE); }), c.second);
        EXPECT_EQ(Failure([&] { Serializer ser(file(), UPDATE_MODE); }), c.second);
        EXPECT_EQ(ReadBytes(file()), bytes);  // a refused open writes nothing
    }
}

TEST_F(SerializerTest, DamagedItemsAreRefused) {
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("hello");        // offset 0
        ser.WriteUInt32s({1, 2, 3});     // offset 12
        ser.WriteStrings({"ab", "cd"});  // offset 28
    }
    const Bytes good = ReadBytes(file());
    const UInt32 index = 2;
    const std::string pastEnd = "Invalid block number in BlockIO::ReadBlock";
    struct Case {
        std::function<void(Bytes&)> damage;
        int item;
        std::string text;
    };
    const Case cases[] = {
        {[&](Bytes& b) { PutWordAt(b, index, 8, 10); }, 0,
         Line("Invalid index length", "Serializer::ReadString")},
        {[](Bytes& b) { PutWordAt(b, 1, 0, 0xFFFFFFF0); }, 0,
         Line("Invalid index length", "Serializer::ReadString")},
        {[&](Bytes& b) {
             PutWordAt(b, 1, 0, 20000);
             PutWordAt(b, index, 8, 20004);
         },
         0, pastEnd},
        {[&](Bytes& b) { PutWordAt(b, index, 0, 7); }, 0, pastEnd},
        {[&](Bytes& b) { PutWordAt(b, index, 4, 8190); }, 0,
         Line("Reading less that than needed for String", "Serializer::ReadString")},
        {[&](Bytes& b) { PutWordAt(b, index, 40, 20); }, 1,
         Line("Invalid index length", "Serializer::ReadUInt32s")},
        // Counts that claim gigabytes: refused without allocating them.
        {[&](Bytes& b) {
             PutWordAt(b, 1, 12, 0x3FFFFFFE);
             PutWordAt(b, index, 40, 0xFFFFFFFC);
         },
         1, pastEnd},
        {[](Bytes& b) { PutWordAt(b, 1, 32, 3); }, 2,
         Line("Invalid index length", "Serializer::ReadStrings")},
        {[](Bytes& b) { PutWordAt(b, 1, 28, 0xFFFFFFFF); }, 2,
         Line("Invalid index length", "Serializer::ReadStrings")},
        {[&](Bytes& b) {
             PutWordAt(b, 1, 32, 0xFFFFFF00);
             PutWordAt(b, index, 72, 0xFFFFFF0E);
         },
         2, pastEnd},
    };
    for (const auto& c : cases) {
        Bytes bytes = good;
        c.damage(bytes);
        WriteBytes(file(), bytes);
        Serializer ser(file(), READ_MODE);
        std::string text;
        Texts texts;
        Words words;
        EXPECT_EQ(Failure([&] {
                      if (c.item == 0)
                          ser.ReadString(text, 0);
                      else if (c.item == 1)
                          ser.ReadUInt32s(words, 1);
                      else
                          ser.ReadStrings(texts, 2);
                  }),
                  c.text);
    }
}

TEST_F(SerializerTest, ShortDataBlockIsRefused) {
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString(Pattern(20000, 'a'));  // blocks 1 to 3
        ser.WriteUInt32(3);                    // block 3, offset 3620
    }
    // The index (block 4) moves to block 2's place and block 3 is cut short:
    // the index still reads, the items' last block does not.
    Bytes bytes = ReadBytes(file());
    ASSERT_EQ(bytes.size(), 5u * 8192);
    std::copy(bytes.begin() + 4 * 8192, bytes.end(), bytes.begin() + 2 * 8192);
    bytes.resize(3 * 8192 + 100);
    PutWordAt(bytes, 0, 0, 2);
    WriteBytes(file(), bytes);
    {
        Serializer ser(file(), READ_MODE);
        std::string text = "stale";
        EXPECT_EQ(Failure([&] { ser.ReadString(text, 0); }),
                  Line("Reading less that than needed for String", "Serializer::ReadString"));
        EXPECT_TRUE(text.empty());
        for (int twice = 0; twice < 2; ++twice)  // the short block is not kept
            EXPECT_EQ(Failure([&] { ser.ReadUInt32(1); }),
                      Line("Reading less that than needed for UInt32", "Serializer::ReadUInt32"));
    }
    EXPECT_EQ(Failure([&] { Serializer ser(file(), UPDATE_MODE); }),
              Line("Reading less than block size", "Serializer::GetLastDataBuffer"));
    EXPECT_EQ(ReadBytes(file()), bytes);
}

// ---------------------------------------------------------------------------
// Limits and failures while writing

TEST_F(SerializerTest, AppendWithoutRoomForTheIndexIsRefused) {
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteUInt32(1);
    }
    // The one item claims the last block that a block file may have.
    Bytes bytes = ReadBytes(file());
    PutWordAt(bytes, 2, 0, MAX_NUM_BLOCKS - 1);
    WriteBytes(file(), bytes);

    ::testing::internal::CaptureStderr();
    {
        Serializer ser(file(), UPDATE_MODE);
        EXPECT_THROW(ser.WriteString("x"), FileException);
    }
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("could not complete the file"), std::string::npos) << err;
    struct stat st;
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_EQ(static_cast<std::size_t>(st.st_size), bytes.size());  // untouched
}

TEST_F(SerializerTest, WriteFailuresThrowOrAreReportedOnClose) {
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    ::testing::internal::CaptureStderr();
    {
        Serializer ser("/dev/full", CREATE_MODE);
        EXPECT_THROW(ser.WriteString(Pattern(20000, 'f')), FileException);
    }
    {
        Serializer ser("/dev/full", UPDATE_MODE);
        ser.WriteString("stays in the buffer until the close");
    }
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Serializer: could not complete the file \"/dev/full\": "
                       "Message: \"Could not write block 1"),
              std::string::npos)
        << err;
}

TEST_F(SerializerTest, VerboseLog) {
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(dir.c_str()), 0);
    {
        Serializer ser(file(), CREATE_MODE, true);
        ser.WriteString("hi");
        ser.WriteUInt32s({4, 5});
        ser.Delete(0);
        ser.PrintIndex(1);
    }
    {
        Serializer ser(file(), READ_MODE, true);
        ser.PrintData();
    }
    ASSERT_EQ(::chdir(cwd), 0);

    const Bytes bytes = ReadBytes(Path("Serializer.log"));
    const std::string expected =
        "Serializer Position 1 blockNumber 1 offset      8 length      12"
        " vLength     12 dataType    10\n" +
        std::string(65, '+') +
        "\nFile Position [0] blockNumber 1 dataType    10 offset      8 length      12"
        " vLength     12\n"
        "ReadUInt32s() index = 0\n"
        "   UInt32s = 2\n"
        "   [0] 4\n"
        "   [1] 5\n"
        "+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+\n";
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
}
