#include "foundation/Serializer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

#include "foundation/Exceptions.h"
#include "BlockFileTestUtil.h"

using namespace blockfile_test;

namespace
{

typedef std::vector<UInt32> Words;
typedef std::vector<std::string> Texts;

class SerializerTest : public ScratchDir
{
protected:
    std::string file() const
    {
        return Path("items.bin");
    }

    // Entry i of the index, read from the file's bytes.
    Words EntryAt(const Bytes& bytes, UInt32 i) const
    {
        const UInt32 indexBlock = WordAt(bytes, 0, 0);
        return WordsAt(bytes, indexBlock + i / 256, 32 * (i % 256), 8);
    }
};

std::string Pattern(std::size_t size, char seed)
{
    std::string text(size, ' ');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>(seed + i % 23);
    return text;
}

} // namespace

TEST_F(SerializerTest, OneNumberFileLayout)
{
    {
        Serializer ser(file(), CREATE_MODE);
        EXPECT_EQ(ser.WriteUInt32(7), 0u);
    }
    const Bytes bytes = ReadBytes(file());
    ASSERT_EQ(bytes.size(), 24576u);
    EXPECT_EQ(WordsAt(bytes, 0, 0, 8), (Words{2, 1, 32, 1, 0, 0, 0, 1}));
    EXPECT_EQ(WordAt(bytes, 1, 0), 7u);
    EXPECT_EQ(WordsAt(bytes, 2, 0, 8), (Words{1, 0, 4, 9, 4, 0, 0, 0}));

    Serializer ser(file(), READ_MODE);
    ASSERT_EQ(ser.GetNumIndices(), 1u);
    EXPECT_EQ(ser.ReadUInt32(0), 7u);
}

TEST_F(SerializerTest, FileWithoutItemsCountsAsEmpty)
{
    {
        Serializer ser(file(), CREATE_MODE);
    }
    const Bytes bytes = ReadBytes(file());
    ASSERT_EQ(bytes.size(), 16384u);
    EXPECT_EQ(WordsAt(bytes, 0, 0, 8), (Words{1, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(WordsAt(bytes, 1, 0, 4), (Words{0, 0, 0, 0}));

    Serializer ser(file(), UPDATE_MODE);
    EXPECT_EQ(ser.GetNumIndices(), 0u);
}

TEST_F(SerializerTest, ItemLayoutsAndReservations)
{
    struct Case
    {
        const char* what;
        std::function<UInt32(Serializer&)> write;
        UInt32 type, length, vLength;
        Words data;  // leading words of the item
    };
    const Case cases[] = {
        {"number", [](Serializer& s) { return s.WriteUInt32(0xA1B2C3D4); },
         9, 4, 4, {0xA1B2C3D4}},
        {"numbers", [](Serializer& s) { return s.WriteUInt32s({5, 6}); },
         10, 12, 12, {2, 5, 6}},
        {"no numbers", [](Serializer& s) { return s.WriteUInt32s({}); },
         10, 4, 4, {0}},
        {"string of 5", [](Serializer& s) { return s.WriteString("hello"); },
         2, 9, 12, {5, 0x6c6c6568}},
        {"empty string", [](Serializer& s) { return s.WriteString(""); },
         2, 4, 4, {0}},
        {"strings", [](Serializer& s) { return s.WriteStrings({"ab", "", "cde"}); },
         1, 21, 24, {3, 2, 0, 3, 0x64636261}},
        {"no strings", [](Serializer& s) { return s.WriteStrings({}); },
         1, 4, 4, {0}},
    };
    for (const auto& c : cases)
    {
        {
            Serializer ser(file(), CREATE_MODE);
            EXPECT_EQ(c.write(ser), 0u) << c.what;
            // The next item starts after the reservation.
            EXPECT_EQ(ser.WriteUInt32(99), 1u) << c.what;
        }
        const Bytes bytes = ReadBytes(file());
        EXPECT_EQ(EntryAt(bytes, 0), (Words{1, 0, c.length, c.type, c.vLength, 0, 0, 0}))
            << c.what;
        EXPECT_EQ(EntryAt(bytes, 1)[1], c.vLength) << c.what;
        EXPECT_EQ(WordsAt(bytes, 1, 0, static_cast<UInt32>(c.data.size())), c.data)
            << c.what;
    }
}

TEST_F(SerializerTest, ValuesReadBack)
{
    const std::string binary("a\0b\xff\n", 5);
    const Texts texts = {"x", "", binary, Pattern(300, 'A')};
    const Words numbers = {0, 1, 0xFFFFFFFF, 42};
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("");
        ser.WriteString(binary);
        ser.WriteStrings(texts);
        ser.WriteStrings({});
        ser.WriteUInt32s(numbers);
        ser.WriteUInt32s({});
        ser.WriteUInt32(0xFFFFFFFF);
    }
    Serializer ser(file(), READ_MODE);
    ASSERT_EQ(ser.GetNumIndices(), 7u);
    std::string text = "stale";
    Texts list = {"stale"};
    Words words = {1};
    ser.ReadString(text, 0);
    EXPECT_EQ(text, "");
    ser.ReadString(text, 1);
    EXPECT_EQ(text, binary);
    ser.ReadStrings(list, 2);
    EXPECT_EQ(list, texts);
    ser.ReadStrings(list, 3);
    EXPECT_TRUE(list.empty());
    ser.ReadUInt32s(words, 4);
    EXPECT_EQ(words, numbers);
    ser.ReadUInt32s(words, 5);
    EXPECT_TRUE(words.empty());
    EXPECT_EQ(ser.ReadUInt32(6), 0xFFFFFFFFu);
}

TEST_F(SerializerTest, ItemsSpanBlocksAndNeverStartAtBlockEnd)
{
    const std::string big = Pattern(10000, 'a');
    const std::string fill = Pattern(8188 - 12, 'k');  // ends item 2 at byte 8192
    Texts manyTexts;
    for (int i = 0; i < 5000; ++i)
        manyTexts.push_back(Pattern(i % 7, 'q'));
    Words manyWords(5000);
    for (UInt32 i = 0; i < manyWords.size(); ++i)
        manyWords[i] = i * 7919;
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString(big);           // block 1, offset 0, into block 2
        ser.WriteUInt32(5);             // block 2, offset 1812
        ser.WriteString(Pattern(8192 - 1816 - 4 - 12, 'z'));  // to 8192 - 12
        ser.WriteString(fill.substr(0, 4));  // 8 bytes: ends at 8192 - 4
        ser.WriteUInt32(6);             // the last word of block 2
        ser.WriteUInt32(7);             // block 3, offset 0
        ser.WriteStrings(manyTexts);
        ser.WriteUInt32s(manyWords);
    }
    const Bytes bytes = ReadBytes(file());
    EXPECT_EQ(EntryAt(bytes, 1), (Words{2, 1812, 4, 9, 4, 0, 0, 0}));
    EXPECT_EQ(EntryAt(bytes, 4)[0], 2u);
    EXPECT_EQ(EntryAt(bytes, 4)[1], 8188u);
    EXPECT_EQ(EntryAt(bytes, 5)[0], 3u);
    EXPECT_EQ(EntryAt(bytes, 5)[1], 0u);

    Serializer ser(file(), READ_MODE);
    std::string text;
    ser.ReadString(text, 0);
    EXPECT_EQ(text, big);
    EXPECT_EQ(ser.ReadUInt32(1), 5u);
    EXPECT_EQ(ser.ReadUInt32(4), 6u);
    EXPECT_EQ(ser.ReadUInt32(5), 7u);
    Texts list;
    ser.ReadStrings(list, 6);
    EXPECT_EQ(list, manyTexts);
    Words words;
    ser.ReadUInt32s(words, 7);
    EXPECT_EQ(words, manyWords);
}

TEST_F(SerializerTest, IndexOverTwoBlocks)
{
    {
        Serializer ser(file(), CREATE_MODE);
        for (UInt32 i = 0; i < 300; ++i)
            ser.WriteUInt32(i * 3);
    }
    const Bytes bytes = ReadBytes(file());
    const Words header = WordsAt(bytes, 0, 0, 4);
    EXPECT_EQ(header, (Words{2, 2, 9600, 300}));
    // 300 words fill block 1 exactly up to 1200 bytes; the second index
    // block holds entries 256 to 299.
    EXPECT_EQ(WordsAt(bytes, 3, 43 * 32, 2), (Words{1, 299 * 4}));
    EXPECT_EQ(bytes.size(), 4u * 8192);

    Serializer ser(file(), READ_MODE);
    ASSERT_EQ(ser.GetNumIndices(), 300u);
    for (UInt32 i = 0; i < 300; ++i)
        ASSERT_EQ(ser.ReadUInt32(i), i * 3) << i;
}

TEST_F(SerializerTest, UpdateInPlaceOrMoved)
{
    Serializer ser(file(), CREATE_MODE);
    const UInt32 s = ser.WriteString("hello");      // vLength 12
    const UInt32 w = ser.WriteUInt32s({1, 2, 3});
    const UInt32 t = ser.WriteStrings({"abc"});     // length 11, vLength 12
    const UInt32 u = ser.WriteUInt32(1);

    EXPECT_EQ(ser.UpdateString("", s), s);
    EXPECT_EQ(ser.UpdateString("12345678", s), s);
    EXPECT_EQ(ser.UpdateUInt32s({9}, w), w);
    EXPECT_EQ(ser.UpdateStrings({"a"}, t), t);
    EXPECT_EQ(ser.UpdateStrings({"", ""}, t), t);   // 4 + 8 = 12 fits exactly
    EXPECT_EQ(ser.GetNumIndices(), 4u);
    EXPECT_EQ(ser.UpdateUInt32(2, u), u);
    EXPECT_EQ(ser.UpdateStrings({"a", ""}, t), 4u);  // 13 > 12: moved
    EXPECT_EQ(ser.UpdateString("123456789", s), 5u);  // needs 13
    EXPECT_EQ(ser.GetNumIndices(), 6u);
}

TEST_F(SerializerTest, UpdatesReadBackAfterReopening)
{
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("hello");
        ser.WriteUInt32s({1, 2, 3});
        ser.WriteUInt32(1);
    }
    {
        Serializer ser(file(), UPDATE_MODE);
        EXPECT_EQ(ser.UpdateString("bye", 0), 0u);
        EXPECT_EQ(ser.UpdateUInt32s({4, 5, 6, 7}, 1), 3u);
        EXPECT_EQ(ser.UpdateUInt32(9, 2), 2u);
        Words moved;
        EXPECT_EQ(TextOf<InvalidStateException>([&] { ser.ReadUInt32s(moved, 1); }),
                  Line("Attempt to read deleted index", "Serializer::ReadUInt32s"));
    }
    Serializer ser(file(), READ_MODE);
    ASSERT_EQ(ser.GetNumIndices(), 3u);  // the moved entry is dropped
    std::string text;
    ser.ReadString(text, 0);
    EXPECT_EQ(text, "bye");
    EXPECT_EQ(ser.ReadUInt32(1), 9u);
    Words words;
    ser.ReadUInt32s(words, 2);
    EXPECT_EQ(words, (Words{4, 5, 6, 7}));
}

TEST_F(SerializerTest, DeletedEntriesVanishOnReopen)
{
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("zero");
        ser.WriteString("one");
        ser.WriteString("two");
        ser.Delete(1);
        ser.Delete(1);  // twice changes nothing
        EXPECT_EQ(ser.GetNumIndices(), 3u);
    }
    EXPECT_EQ(WordAt(ReadBytes(file()), 0, 12), 3u);

    Serializer ser(file(), READ_MODE);
    ASSERT_EQ(ser.GetNumIndices(), 2u);
    std::string text;
    ser.ReadString(text, 1);
    EXPECT_EQ(text, "two");
}

TEST_F(SerializerTest, AppendAfterDeletingTheLastItemReusesItsPlace)
{
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("zero");
        ser.WriteString(Pattern(20000, 'x'));
        ser.Delete(1);
        EXPECT_EQ(ser.WriteUInt32(5), 2u);
    }
    const Bytes bytes = ReadBytes(file());
    EXPECT_EQ(EntryAt(bytes, 2), (Words{1, 8, 4, 9, 4, 0, 0, 0}));
    EXPECT_EQ(WordAt(bytes, 0, 0), 2u);  // the index follows the new item
}

TEST_F(SerializerTest, AllEntriesDeletedStillReopens)
{
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("zero");
        ser.WriteUInt32(1);
        ser.Delete(0);
        ser.Delete(1);
    }
    const Bytes bytes = ReadBytes(file());
    EXPECT_EQ(WordsAt(bytes, 0, 0, 4), (Words{2, 1, 64, 2}));
    {
        Serializer ser(file(), UPDATE_MODE);
        EXPECT_EQ(ser.GetNumIndices(), 0u);
        EXPECT_EQ(ser.WriteString("again"), 0u);
    }
    Serializer ser(file(), READ_MODE);
    ASSERT_EQ(ser.GetNumIndices(), 1u);
    std::string text;
    ser.ReadString(text, 0);
    EXPECT_EQ(text, "again");
}

TEST_F(SerializerTest, UpdateModeKeepsEarlierItems)
{
    const std::string big = Pattern(9000, 'b');
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString(big);
        ser.WriteUInt32(1);
    }
    {
        Serializer ser(file(), UPDATE_MODE);
        EXPECT_EQ(ser.WriteUInt32(2), 2u);
        std::string text;
        ser.ReadString(text, 0);  // another block between two appends
        EXPECT_EQ(text, big);
        EXPECT_EQ(ser.WriteString("tail"), 3u);
        EXPECT_EQ(ser.ReadUInt32(2), 2u);
    }
    Serializer ser(file(), READ_MODE);
    ASSERT_EQ(ser.GetNumIndices(), 4u);
    std::string text;
    ser.ReadString(text, 0);
    EXPECT_EQ(text, big);
    EXPECT_EQ(ser.ReadUInt32(1), 1u);
    EXPECT_EQ(ser.ReadUInt32(2), 2u);
    ser.ReadString(text, 3);
    EXPECT_EQ(text, "tail");
}

// The buffer goes back only to the block it holds: an in-place rewrite that
// ends at a block boundary, or runs on into the next block, must leave the
// items of that next block intact.
TEST_F(SerializerTest, InPlaceRewritesKeepTheNextBlock)
{
    struct Case
    {
        const char* what;
        std::size_t size;
    };
    const Case cases[] = {
        {"item ends at the block end", 8188},
        {"item runs into the next block", 9000},
    };
    for (const auto& c : cases)
    {
        {
            Serializer ser(file(), CREATE_MODE);
            ser.WriteString(Pattern(c.size, 'a'));
            ser.WriteString("neighbour");
            ser.WriteUInt32s({1, 2, 3});
        }
        {
            Serializer ser(file(), UPDATE_MODE);
            EXPECT_EQ(ser.UpdateString(Pattern(c.size, 'n'), 0), 0u) << c.what;
        }
        {
            Serializer ser(file(), UPDATE_MODE);
            std::string text;
            ser.ReadString(text, 1);  // brings the neighbour's block in
            EXPECT_EQ(ser.UpdateString(Pattern(c.size, 'm'), 0), 0u) << c.what;
        }
        Serializer ser(file(), READ_MODE);
        std::string text;
        ser.ReadString(text, 0);
        EXPECT_EQ(text, Pattern(c.size, 'm')) << c.what;
        ser.ReadString(text, 1);
        EXPECT_EQ(text, "neighbour") << c.what;
        Words words;
        ser.ReadUInt32s(words, 2);
        EXPECT_EQ(words, (Words{1, 2, 3})) << c.what;
    }
}

TEST_F(SerializerTest, WriteAtIndexAppendReservesItsRoom)
{
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteStringAtIndex("first", 0);
        ser.WriteUInt32sAtIndex({7, 8}, 1);
        ser.WriteString("second");
        // Rewriting in place within the reservation is fine; more is not.
        ser.WriteStringAtIndex("FIRST", 0);
        EXPECT_THROW(ser.WriteStringAtIndex("too long!", 0), InvalidStateException);
        ser.Delete(2);
        EXPECT_THROW(ser.WriteStringAtIndex("x", 2), InvalidStateException);
        EXPECT_EQ(TextOf<std::out_of_range>([&] { ser.WriteUInt32AtIndex(1, 4); }),
                  "Invalid index in Serializer::WriteUInt32AtIndex");
    }
    Serializer ser(file(), READ_MODE);
    std::string text;
    ser.ReadString(text, 0);
    EXPECT_EQ(text, "FIRST");
    Words words;
    ser.ReadUInt32s(words, 1);
    EXPECT_EQ(words, (Words{7, 8}));
}

TEST_F(SerializerTest, ModeAndArgumentChecks)
{
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("s");
        ser.WriteUInt32(1);
        ser.WriteStrings({"a"});
        ser.WriteUInt32s({1});
        std::string text;
        Texts texts;
        Words words;
        EXPECT_EQ(TextOf<FileModeException>([&] { ser.ReadString(text, 0); }),
                  Line("Read attempt in write-only file", "Serializer::ReadString"));
        EXPECT_EQ(TextOf<FileModeException>([&] { ser.ReadUInt32(1); }),
                  Line("Read attempt in write-only file", "Serializer::ReadUInt32"));
        EXPECT_EQ(TextOf<FileModeException>([&] { ser.ReadStrings(texts, 2); }),
                  Line("Read attempt in write-only file", "Serializer::ReadStrings"));
        EXPECT_EQ(TextOf<FileModeException>([&] { ser.ReadUInt32s(words, 3); }),
                  Line("Read attempt in write-only file", "Serializer::ReadUInt32s"));
        EXPECT_EQ(TextOf<EmptyValueException>([&] { ser.UpdateUInt32s({}, 3); }),
                  Line("Empty words vector", "Serializer::UpdateUInt32s"));
        EXPECT_EQ(TextOf<EmptyValueException>([&] { ser.UpdateStrings({}, 2); }),
                  Line("Empty strings vector", "Serializer::UpdateStrings"));
        EXPECT_EQ(TextOf<InvalidStateException>([&] { ser.UpdateStrings({"a"}, 0); }),
                  Line("Attempt to update non-String", "Serializer::UpdateStrings"));
        EXPECT_EQ(TextOf<InvalidStateException>([&] { ser.UpdateUInt32(1, 0); }),
                  Line("Attempt to update non-UInt32", "Serializer::UpdateUInt32"));
        EXPECT_EQ(TextOf<std::out_of_range>([&] { ser.UpdateString("a", 4); }),
                  "Invalid index in Serializer::UpdateString");
        EXPECT_EQ(TextOf<std::out_of_range>([&] { ser.Delete(4); }),
                  "Invalid index in Serializer::Delete");
        ser.Delete(0);
        EXPECT_EQ(TextOf<InvalidStateException>([&] { ser.UpdateString("a", 0); }),
                  Line("Attempt to update deleted index", "Serializer::UpdateString"));
        // A wrong kind is reported before a deleted entry.
        EXPECT_EQ(TextOf<InvalidStateException>([&] { ser.UpdateUInt32(1, 0); }),
                  Line("Attempt to update non-UInt32", "Serializer::UpdateUInt32"));
        EXPECT_EQ(ser.GetNumIndices(), 4u);
    }

    Serializer ser(file(), READ_MODE);
    std::string text = "stale";
    Texts texts;
    Words words;
    EXPECT_EQ(TextOf<FileModeException>([&] { ser.WriteString("x"); }),
              Line("Write attempt in read-only file", "Serializer::WriteStringAtIndex"));
    EXPECT_EQ(TextOf<FileModeException>([&] { ser.UpdateString("x", 0); }),
              Line("Update attempt in read-only file", "Serializer::UpdateString"));
    EXPECT_EQ(TextOf<FileModeException>([&] { ser.Delete(0); }),
              Line("Delete index attempt in read-only file", "Serializer::Delete"));
    EXPECT_EQ(TextOf<FileModeException>([&] { ser.GetLastDataBuffer(); }),
              Line("Write attempt in read-only file", "Serializer::GetLastDataBuffer"));
    EXPECT_EQ(TextOf<InvalidStateException>([&] { ser.ReadString(text, 0); }),
              Line("Attempt to read non-string", "Serializer::ReadString"));
    EXPECT_TRUE(text.empty());
    // Item 0 was deleted: after reopening, 0 is the number, 1 the strings
    // and 2 the numbers.
    EXPECT_EQ(ser.ReadUInt32(0), 1u);
    EXPECT_EQ(TextOf<InvalidStateException>([&] { ser.ReadUInt32(1); }),
              Line("Attempt to read non-UInt32", "Serializer::ReadUInt32"));
    EXPECT_EQ(TextOf<InvalidStateException>([&] { ser.ReadStrings(texts, 2); }),
              Line("Attempt to read non-Strings", "Serializer::ReadStrings"));
    EXPECT_EQ(TextOf<InvalidStateException>([&] { ser.ReadUInt32s(words, 0); }),
              Line("Attempt to read non-UInt32s", "Serializer::ReadUInt32s"));
    EXPECT_EQ(TextOf<std::out_of_range>([&] { ser.ReadString(text, 3); }),
              "Invalid index in Serializer::ReadString");
}

// ---------------------------------------------------------------------------
// Damaged files

namespace
{

// A file of a String, a UInt32s and a Strings item, one index block at 2.
void WriteSample(const std::string& path)
{
    Serializer ser(path, CREATE_MODE);
    ser.WriteString("hello");
    ser.WriteUInt32s({1, 2, 3});
    ser.WriteStrings({"ab", "cd"});
}

} // namespace

TEST_F(SerializerTest, DamagedHeaderIsRefused)
{
    WriteSample(file());
    const Bytes good = ReadBytes(file());

    struct Case
    {
        const char* what;
        std::function<void(Bytes&)> damage;
        std::string text;  // MirtException text, or out_of_range text
    };
    const std::string where = "Serializer::_ReadFileHeader";
    const Case cases[] = {
        {"index length disagrees", [](Bytes& b) { PutWordAt(b, 0, 8, 64); },
         Line("Read file header size is inconsistent", where)},
        {"index in block 1", [](Bytes& b) { PutWordAt(b, 0, 0, 1); },
         Line("Read file header size is inconsistent", where)},
        {"no index blocks", [](Bytes& b) { PutWordAt(b, 0, 4, 0); },
         Line("Read file header size is inconsistent", where)},
        {"index past the end", [](Bytes& b) { PutWordAt(b, 0, 0, 3); },
         "Invalid block number in BlockIO::ReadBlock"},
        {"index block cut short", [](Bytes& b) { b.resize(2 * 8192 + 40); },
         Line("File header content is inconsistent", where)},
        {"too many entries for one block",
         [](Bytes& b) { PutWordAt(b, 0, 8, 300 * 32); PutWordAt(b, 0, 12, 300); },
         Line("File header content is inconsistent", where)},
        {"entry count wraps below zero",
         [](Bytes& b) {
             b.resize(4 * 8192);
             PutWordAt(b, 0, 4, 2);
         },
         Line("File header content is inconsistent", where)},
        {"a huge entry count",
         [](Bytes& b) {
             PutWordAt(b, 0, 8, 0xFFFFFFE0);
             PutWordAt(b, 0, 12, 0x07FFFFFF);
         },
         Line("File header content is inconsistent", where)},
        {"header block cut short", [](Bytes& b) { b.resize(2 * 8192 + 1); },
         Line("File header content is inconsistent", where)},
    };
    for (const auto& c : cases)
    {
        Bytes bytes = good;
        c.damage(bytes);
        WriteBytes(file(), bytes);
        std::string text = "no exception";
        try
        {
            Serializer ser(file(), READ_MODE);
        }
        catch (const MirtException& exc)
        {
            text = exc.what();
        }
        catch (const std::out_of_range& exc)
        {
            text = exc.what();
        }
        EXPECT_EQ(text, c.text) << c.what;
    }

    // Three blocks whose first is shorter than a header.
    WriteBytes(file(), Bytes(20, 0));
    {
        Serializer ser(file(), READ_MODE);  // fewer than 3 blocks: empty
        EXPECT_EQ(ser.GetNumIndices(), 0u);
    }
}

TEST_F(SerializerTest, DamagedItemsAreRefused)
{
    WriteSample(file());
    const Bytes good = ReadBytes(file());
    // Entries: 0 String "hello" at 0, 1 UInt32s at 12, 2 Strings at 28.
    const UInt32 index = 2;

    struct Case
    {
        const char* what;
        std::function<void(Bytes&)> damage;
        int item;
        std::string text;
    };
    const Case cases[] = {
        {"string length disagrees", [&](Bytes& b) { PutWordAt(b, index, 8, 10); }, 0,
         Line("Invalid index length", "Serializer::ReadString")},
        {"huge string byte count", [](Bytes& b) { PutWordAt(b, 1, 0, 0xFFFFFFF0); }, 0,
         Line("Invalid index length", "Serializer::ReadString")},
        {"string lies past its blocks",
         [&](Bytes& b) {
             PutWordAt(b, 1, 0, 20000);
             PutWordAt(b, index, 8, 20004);
         },
         0, "Invalid block number in BlockIO::ReadBlock"},
        {"string in a block past the end", [&](Bytes& b) { PutWordAt(b, index, 0, 7); }, 0,
         "Invalid block number in BlockIO::ReadBlock"},
        {"string beyond the block end", [&](Bytes& b) { PutWordAt(b, index, 4, 8190); }, 0,
         Line("Reading less that than needed for String", "Serializer::ReadString")},
        {"numbers length disagrees", [&](Bytes& b) { PutWordAt(b, index, 32 + 8, 20); }, 1,
         Line("Invalid index length", "Serializer::ReadUInt32s")},
        {"huge number count",
         [&](Bytes& b) {
             PutWordAt(b, 1, 12, 0x3FFFFFFE);
             PutWordAt(b, index, 32 + 8, 0xFFFFFFFC);
         },
         1, "Invalid block number in BlockIO::ReadBlock"},
        {"strings lengths disagree", [](Bytes& b) { PutWordAt(b, 1, 32, 3); }, 2,
         Line("Invalid index length", "Serializer::ReadStrings")},
        {"huge strings count", [](Bytes& b) { PutWordAt(b, 1, 28, 0xFFFFFFFF); }, 2,
         Line("Invalid index length", "Serializer::ReadStrings")},
        {"huge string in a list",
         [&](Bytes& b) {
             PutWordAt(b, 1, 32, 0xFFFFFF00);
             PutWordAt(b, index, 64 + 8, 0xFFFFFF00 + 14);
         },
         2, "Invalid block number in BlockIO::ReadBlock"},
        {"unknown kind", [&](Bytes& b) { PutWordAt(b, index, 64 + 12, 5); }, 2,
         Line("Attempt to read non-Strings", "Serializer::ReadStrings")},
    };
    for (const auto& c : cases)
    {
        Bytes bytes = good;
        c.damage(bytes);
        WriteBytes(file(), bytes);
        Serializer ser(file(), READ_MODE);
        ASSERT_EQ(ser.GetNumIndices(), 3u) << c.what;
        std::string text = "no exception";
        try
        {
            std::string value;
            Texts texts;
            Words words;
            if (c.item == 0)
                ser.ReadString(value, 0);
            else if (c.item == 1)
                ser.ReadUInt32s(words, 1);
            else
                ser.ReadStrings(texts, 2);
        }
        catch (const MirtException& exc)
        {
            text = exc.what();
        }
        catch (const std::out_of_range& exc)
        {
            text = exc.what();
        }
        EXPECT_EQ(text, c.text) << c.what;
    }
}

TEST_F(SerializerTest, ShortDataBlockIsRefused)
{
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString(Pattern(20000, 'a'));  // blocks 1 to 3
        ser.WriteUInt32(3);                     // block 3, offset 3620
    }
    // Put the index (block 4) in block 2's place and cut block 3 short: the
    // index still reads, the items' last block does not.
    Bytes bytes = ReadBytes(file());
    ASSERT_EQ(bytes.size(), 5u * 8192);
    std::copy(bytes.begin() + 4 * 8192, bytes.end(), bytes.begin() + 2 * 8192);
    bytes.resize(3 * 8192 + 100);
    PutWordAt(bytes, 0, 0, 2);
    WriteBytes(file(), bytes);

    {
        Serializer ser(file(), READ_MODE);
        ASSERT_EQ(ser.GetNumIndices(), 2u);
        std::string text = "stale";
        EXPECT_EQ(TextOf<FileException>([&] { ser.ReadString(text, 0); }),
                  Line("Reading less that than needed for String",
                       "Serializer::ReadString"));
        EXPECT_TRUE(text.empty());
        EXPECT_EQ(TextOf<FileException>([&] { ser.ReadUInt32(1); }),
                  Line("Reading less that than needed for UInt32",
                       "Serializer::ReadUInt32"));
        // The short block was not kept as if it were whole.
        EXPECT_THROW(ser.ReadUInt32(1), FileException);
    }
    EXPECT_EQ(TextOf<FileException>([&] { Serializer ser(file(), UPDATE_MODE); }),
              Line("Reading less than block size", "Serializer::GetLastDataBuffer"));
    EXPECT_EQ(ReadBytes(file()), bytes);  // a refused open writes nothing
}

// ---------------------------------------------------------------------------
// Closing

TEST_F(SerializerTest, FailedCloseIsReportedNotThrown)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    ::testing::internal::CaptureStderr();
    {
        Serializer ser("/dev/full", UPDATE_MODE);
        ser.WriteString("stays in the buffer until the close");
    }
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Serializer: could not complete the file \"/dev/full\""),
              std::string::npos)
        << err;
}

TEST_F(SerializerTest, WriteFailureThrowsDuringAnAppend)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    ::testing::internal::CaptureStderr();
    {
        Serializer ser("/dev/full", CREATE_MODE);
        EXPECT_THROW(ser.WriteString(Pattern(20000, 'f')), FileException);
    }
    (void)::testing::internal::GetCapturedStderr();
}

TEST_F(SerializerTest, VerboseLogFormats)
{
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(dir.c_str()), 0);
    {
        Serializer ser(file(), CREATE_MODE);
        ser.WriteString("hi");
        ser.WriteString("");
        ser.WriteUInt32s({4, 5});
        ser.Delete(1);
    }
    {
        Serializer ser(file(), UPDATE_MODE, true);
        ser.WriteStrings({"x"});
        ser.WriteUInt32(8);
        ser.PrintIndex(0);
        ser.PrintData();
    }
    ASSERT_EQ(::chdir(cwd), 0);

    const Bytes bytes = ReadBytes(Path("Serializer.log"));
    const std::string log(bytes.begin(), bytes.end());
    const std::string expected =
        "Serializer Position 0 blockNumber 1 offset      0 length      6"
        " vLength     8 dataType    2\n" +
        std::string(65, '+') + "\n"
        "File Position [0] blockNumber 1 dataType    2 offset      0 length      6"
        " vLength     8\n"
        "ReadString() index = 0\n"
        "   String[2] = hi\n" +
        std::string(65, '+') + "\n"
        "File Position [1] blockNumber 1 dataType    10 offset      12 length      12"
        " vLength     12\n"
        "ReadUInt32s() index = 1\n"
        "   UInt32s = 2\n"
        "   [0] 4\n"
        "   [1] 5\n" +
        std::string(65, '+') + "\n"
        "File Position [2] blockNumber 1 dataType    1 offset      24 length      9"
        " vLength     12\n"
        "ReadStrings() index = 2\n"
        "   Strings = 1\n"
        "   [0] x\n" +
        std::string(65, '+') + "\n"
        "File Position [3] blockNumber 1 dataType    9 offset      36 length      4"
        " vLength     4\n"
        "ReadUInt32() index = 3\n"
        "   UInt32 = 8\n"
        "+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+eod+\n";
    EXPECT_EQ(log, expected);
}
