// The binary block file: the layout of items, index and header; random edits
// across sessions against a plain list; damaged files; and the block buffer.

#include "foundation/Serializer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/BlockItems.h"
#include "foundation/Exceptions.h"
#include "support/Files.h"
#include "support/Thrown.h"

namespace {

std::string Pattern(std::size_t size, char seed) {
    std::string text(size, ' ');
    for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>(seed + i % 23);
    return text;
}

class SerializerTest : public ::testing::Test {
protected:
    ScratchDir dir;
    const std::string file = dir.file("items.bin");
};

}  // namespace

TEST_F(SerializerTest, ItemLayouts) {
    // Each item, then a number: its index entry, its room (where the next item
    // starts) and its leading words.
    const struct {
        Item item;
        UInt32 type, length, room;
        Words words;
    } cases[] = {{U(0xA1B2C3D4), 9, 4, 4, {0xA1B2C3D4}},
                 {Us({5, 0xFFFFFFFF}), 10, 12, 12, {2, 5, 0xFFFFFFFF}},
                 {Us({}), 10, 4, 4, {0}},
                 {S(std::string("a\0b\xff\n", 5)), 2, 9, 12, {5, 0xFF620061}},
                 {S(""), 2, 4, 4, {0}},
                 {Ss({"ab", "", "cde"}), 1, 21, 24, {3, 2, 0, 3, 0x64636261}},
                 {Ss({}), 1, 4, 4, {0}}};
    for (const auto& c : cases) {
        WriteItems(file, {c.item, U(99)});
        const std::string bytes = read_text(file);
        EXPECT_EQ(EntryAt(bytes, 0), (Words{1, 0, c.length, c.type, c.room, 0, 0, 0}));
        EXPECT_EQ(EntryAt(bytes, 1)[1], c.room);
        EXPECT_EQ(WordsAt(bytes, 1, 0, static_cast<UInt32>(c.words.size())), c.words);
        Serializer ser(file, READ_MODE);
        EXPECT_TRUE(ReadItem(ser, c.item.kind, 0) == c.item) << c.type << " " << c.length;
    }
    // No items: header and an empty block 1. Three hundred: the index spans
    // blocks 2 and 3.
    WriteItems(file, {});
    EXPECT_EQ(read_text(file).size(), 16384u);
    EXPECT_EQ(WordsAt(read_text(file), 0, 0, 8), (Words{1, 0, 0, 0, 0, 0, 0, 1}));
    WriteItems(file, Items(300, U(3)));
    const std::string bytes = read_text(file);
    EXPECT_EQ(bytes.size(), 4u * 8192);
    EXPECT_EQ(WordsAt(bytes, 0, 0, 8), (Words{2, 2, 9600, 300, 0, 0, 0, 1}));
    EXPECT_EQ(EntryAt(bytes, 299), (Words{1, 299 * 4, 4, 9, 4, 0, 0, 0}));
}

TEST_F(SerializerTest, ItemsSpanBlocksButNeverStartAtABlockEnd) {
    WriteItems(file, {S(Pattern(10000, 'a')), U(5), S(Pattern(8192 - 1816 - 8, 'z')), U(6), U(7)});
    const std::string bytes = read_text(file);
    EXPECT_EQ(EntryAt(bytes, 1), (Words{2, 1812, 4, 9, 4, 0, 0, 0}));
    EXPECT_EQ(EntryAt(bytes, 3), (Words{2, 8188, 4, 9, 4, 0, 0, 0}));  // the last word
    EXPECT_EQ(EntryAt(bytes, 4), (Words{3, 0, 4, 9, 4, 0, 0, 0}));
    EXPECT_EQ(WordsAt(bytes, 2, 8188), Words{6});
}

// Appends, updates (in place when the value fits the item's room, else moved
// to a new number), rewrites at an index, deletions and reopenings, with all
// four kinds and sizes around the block size.
TEST_F(SerializerTest, RandomEditsAgreeWithAPlainList) {
    std::mt19937 random(3);
    const auto value = [&](int kind) {
        const std::size_t size = random() % 3 == 0 ? 7000 + random() % 3000 : random() % 30;
        const char seed = static_cast<char>('a' + random() % 20);
        if (kind == 0)
            return U(static_cast<UInt32>(random()));
        if (kind == 1)
            return Us(Words(size / 4, static_cast<UInt32>(random())));
        if (kind == 2)
            return S(Pattern(size, seed));
        return Ss(Texts(size / 16, Pattern(random() % 20, seed)));
    };
    struct Stored {
        Item item;
        std::size_t room;  // 0: deleted
    };
    std::vector<Stored> model;
    auto ser = std::make_unique<Serializer>(file, CREATE_MODE);
    const auto live = [&] {
        std::size_t n = random() % (model.size() + 1);
        while (n < model.size() && model[n].room == 0) ++n;
        return static_cast<UInt32>(n);
    };
    for (int step = 0; step < 400; ++step) {
        const UInt32 n = live(), action = random() % 6;
        if (action < 2 || (action == 2 && n < model.size())) {
            const Item item = value(action < 2 ? random() % 4 : UInt32(model[n].item.kind));
            const bool fits = action == 2 && item.Length() <= model[n].room;
            const bool emptyList = item.Length() == 4 && item.kind != Item::NUMBER;
            const UInt32 at = action < 2 ? ser->GetNumIndices() : n;
            // An update that fits stays in place, else it moves to the end;
            // a rewrite at an index must fit.
            ASSERT_EQ(
                PutItem(*ser, item, at, action == 2 && !(fits && (emptyList || random() % 2))),
                fits ? n : model.size())
                << "step " << step;
            if (fits) {
                model[n].item = item;
            } else {
                if (action == 2)
                    model[n].room = 0;
                model.push_back({item, (item.Length() + 3) / 4 * 4});
            }
        } else if (action == 3 && n < model.size()) {
            ser->Delete(n);
            model[n].room = 0;
        } else if (action == 4) {  // deleted items vanish, later ones are renumbered
            ser.reset();
            ser = std::make_unique<Serializer>(file, UPDATE_MODE);
            model.erase(std::remove_if(model.begin(), model.end(),
                                       [](const Stored& s) { return s.room == 0; }),
                        model.end());
            ASSERT_EQ(ser->GetNumIndices(), model.size());
        }
        const UInt32 r = live();
        if (r < model.size()) {
            ASSERT_TRUE(ReadItem(*ser, model[r].item.kind, r) == model[r].item) << "step " << step;
        }
    }
}

TEST_F(SerializerTest, ReopenedFilesKeepNeighboursAndTheIndexPlace) {
    // The buffer goes back only to the block it holds: reads between appends,
    // and rewrites that end at or run past a block end, keep every neighbour.
    for (const std::size_t size : {std::size_t{8188}, std::size_t{9000}}) {
        WriteItems(file, {S(Pattern(size, 'a')), S("neighbour")});
        {
            Serializer ser(file, UPDATE_MODE);
            EXPECT_EQ(ser.WriteUInt32(2), 2u);
            EXPECT_EQ(ReadItem(ser, Item::TEXT, 0).text, Pattern(size, 'a'));
            EXPECT_EQ(ser.WriteString("tail"), 3u);
            EXPECT_EQ(ser.UpdateString(Pattern(size, 'n'), 0), 0u);
        }
        {
            Serializer ser(file, UPDATE_MODE);
            EXPECT_EQ(ReadItem(ser, Item::TEXT, 1).text, "neighbour");
            EXPECT_EQ(ser.UpdateString(Pattern(size, 'm'), 0), 0u);
        }
        Serializer ser(file, READ_MODE);
        EXPECT_EQ(ReadItem(ser, Item::TEXT, 0).text, Pattern(size, 'm')) << size;
        EXPECT_EQ(ReadItem(ser, Item::TEXT, 1).text, "neighbour") << size;
        EXPECT_EQ(ser.ReadUInt32(2), 2u) << size;
        EXPECT_EQ(ReadItem(ser, Item::TEXT, 3).text, "tail") << size;
    }
    // With no live item left the index still goes where a reader looks.
    {
        Serializer ser(file, UPDATE_MODE);
        for (UInt32 n = 0; n < 4; ++n) ser.Delete(n);
    }
    EXPECT_EQ(WordsAt(read_text(file), 0, 0)[0], 2u);
    Serializer ser(file, UPDATE_MODE);
    EXPECT_EQ(ser.GetNumIndices(), 0u);
}

TEST_F(SerializerTest, DamagedFilesAreRefused) {
    WriteItems(file, {S("hello"), Us({1, 2, 3}), Ss({"ab", "cd"})});  // offsets 0, 12, 28
    const std::string good = read_text(file);
    const std::string texts[] = {
        Throws("FileException", "Read file header size is inconsistent",
               "Serializer::_ReadFileHeader"),
        Throws("FileException", "File header content is inconsistent",
               "Serializer::_ReadFileHeader"),
        Throws("std::out_of_range", "Invalid block number in BlockIO::ReadBlock"),
        Throws("InvalidStateException", "Invalid index length", "Serializer::ReadString"),
        Throws("FileException", "Reading less that than needed for String",
               "Serializer::ReadString"),
        Throws("InvalidStateException", "Invalid index length", "Serializer::ReadUInt32s"),
        Throws("InvalidStateException", "Invalid index length", "Serializer::ReadStrings")};
    // Up to two words changed at (block, offset), the file cut to `size`
    // (0: kept); item -1: the opening itself is refused, for update too.
    // Counts that claim gigabytes must be refused without allocating them.
    const struct {
        UInt32 block, offset, value, block2, offset2, value2;
        std::size_t size;
        int item, text;
    } cases[] = {{0, 8, 128, 0, 8, 128, 0, -1, 0},
                 {0, 0, 3, 0, 0, 3, 0, -1, 2},
                 {0, 0, 2, 0, 0, 2, 2 * 8192 + 40, -1, 1},
                 {0, 4, 2, 0, 4, 2, 4 * 8192, -1, 1},  // a block count that wraps
                 {0, 8, 0xFFFFFFE0, 0, 12, 0x07FFFFFF, 0, -1, 1},
                 {1, 0, 0xFFFFFFF0, 1, 0, 0xFFFFFFF0, 0, 0, 3},
                 {2, 0, 7, 2, 0, 7, 0, 0, 2},
                 {2, 4, 8190, 2, 4, 8190, 0, 0, 4},
                 {2, 40, 20, 2, 40, 20, 0, 1, 5},
                 {1, 12, 0x3FFFFFFE, 2, 40, 0xFFFFFFFC, 0, 1, 2},
                 {1, 28, 0xFFFFFFFF, 1, 28, 0xFFFFFFFF, 0, 2, 6},
                 {1, 32, 0xFFFFFF00, 2, 72, 0xFFFFFF0E, 0, 2, 2}};
    const Item::Kind kinds[] = {Item::TEXT, Item::NUMBERS, Item::TEXTS};
    for (const auto& c : cases) {
        std::string bytes = good;
        if (c.size != 0)
            bytes.resize(c.size);
        PutWordAt(bytes, c.block, c.offset, c.value);
        PutWordAt(bytes, c.block2, c.offset2, c.value2);
        write_text(file, bytes);
        if (c.item < 0) {
            EXPECT_EQ(Thrown([&] { Serializer ser(file, READ_MODE); }), texts[c.text]);
            EXPECT_EQ(Thrown([&] { Serializer ser(file, UPDATE_MODE); }), texts[c.text]);
            EXPECT_EQ(read_text(file), bytes);  // a refused open writes nothing
        } else {
            Serializer ser(file, READ_MODE);
            EXPECT_EQ(Thrown([&] { ReadItem(ser, kinds[c.item], c.item); }), texts[c.text]);
        }
    }

    // A data block cut short: the index still reads, the items' last block
    // does not, and a short block is never kept as read.
    WriteItems(file, {S(Pattern(20000, 'a')), U(3)});  // blocks 1 to 3
    std::string bytes = read_text(file);
    ASSERT_EQ(bytes.size(), 5u * 8192);
    const std::string index = bytes.substr(4 * 8192);
    bytes.replace(2 * 8192, 8192, index);  // the index moves to block 2
    bytes.resize(3 * 8192 + 100);
    PutWordAt(bytes, 0, 0, 2);
    write_text(file, bytes);
    {
        Serializer ser(file, READ_MODE);
        EXPECT_EQ(Thrown([&] { ReadItem(ser, Item::TEXT, 0); }), texts[4]);
        EXPECT_EQ(Thrown([&] { ser.ReadUInt32(1); }),
                  Throws("FileException", "Reading less that than needed for UInt32",
                         "Serializer::ReadUInt32"));
    }
    // Its items run into the moved index, so an update would write over it.
    EXPECT_EQ(Thrown([&] { Serializer ser(file, UPDATE_MODE); }),
              Throws("FileException", "Index entry 0 runs into the index in file: " + file,
                     "Serializer::_ReadFileHeader"));
    EXPECT_TRUE(read_text(file) == bytes);
    // Sound, but the append position lies in the cut index block.
    WriteItems(file, {S(Pattern(8188, 'a'))});  // the index in block 2
    bytes = read_text(file).substr(0, 2 * 8192 + 100);
    write_text(file, bytes);
    EXPECT_EQ(
        Thrown([&] { Serializer ser(file, UPDATE_MODE); }),
        Throws("FileException", "Reading less than block size", "Serializer::GetLastDataBuffer"));
    EXPECT_TRUE(read_text(file) == bytes);
}

TEST_F(SerializerTest, UnsoundIndexesAreRefusedForUpdate) {
    // Writes behind such entries would land on other items, or gigabytes on;
    // the file is refused for update and left as it was, and still reads.
    const Items three = {S("first"), S("second"), S("third")};  // offsets 0, 12, 24
    // Entry 2 moved to the end of block 1 and an offset past it: the same
    // place, but the writer would put its bytes at the start of block 2.
    const Items spread = {S("first"), S(Pattern(9000, 'p')), S("third")};  // 2 at (2, 824)
    // Words of one entry changed (1 block, 2 offset, 3 length, 5 reserved).
    const struct {
        const Items& items;
        UInt32 entry, word, value, word2, value2;
        const char* fault;
    } cases[] = {{three, 2, 2, 0, 2, 0, "2 is out of item order"},  // entry 0 copied over 2
                 {three, 2, 2, 20, 2, 20, "2 overlaps the item before it"},
                 {three, 1, 5, 8, 5, 8, "1 reserves less than its length"},
                 {three, 2, 3, 0, 5, 0, "2 reserves less than its length"},  // not even a word
                 {three, 2, 5, 0x7FFFFFFF, 5, 0x7FFFFFFF, "2 runs into the index"},
                 {three, 1, 1, 2, 1, 2, "1 runs into the index"},
                 {spread, 2, 1, 1, 2, 9016, "2 starts past the last word of its block"}};
    for (const auto& c : cases) {
        WriteItems(file, c.items);
        std::string bytes = read_text(file);
        PutWordAt(bytes, WordsAt(bytes, 0, 0)[0], 32 * c.entry + 4 * (c.word - 1), c.value);
        PutWordAt(bytes, WordsAt(bytes, 0, 0)[0], 32 * c.entry + 4 * (c.word2 - 1), c.value2);
        write_text(file, bytes);
        EXPECT_EQ(
            Thrown([&] {
                Serializer ser(file, UPDATE_MODE);
                ser.UpdateString("THIRD", 2);
                ser.WriteString("SECOND");
            }),
            Throws("FileException", "Index entry " + std::string(c.fault) + " in file: " + file,
                   "Serializer::_ReadFileHeader"));
        EXPECT_TRUE(read_text(file) == bytes) << c.fault;
        EXPECT_EQ(Serializer(file, READ_MODE).GetNumIndices(), 3u) << c.fault;
    }
}

TEST_F(SerializerTest, SoundLayoutsStillOpenForUpdate) {
    // What the writer leaves behind opens for update: items that span blocks
    // or end at a block end, empty items, an index over two blocks, a rewrite
    // in place, a moved item, and a deleted last item whose place an append took.
    Items model = Items{S(Pattern(10000, 'a')), S("one"), Us({}), Ss({}), S(""),
                        S(Pattern(6356, 'e')),  U(6)} +
                  Items(300, U(3));
    WriteItems(file, model);
    EXPECT_EQ(EntryAt(read_text(file), 6)[1], 0u);  // after the block end
    {
        Serializer ser(file, UPDATE_MODE);
        const UInt32 last = ser.GetNumIndices() - 1;
        EXPECT_EQ(ser.UpdateString("in place", 0), 0u);
        ser.Delete(last);
        EXPECT_EQ(ser.WriteStrings({"x", "y"}), last + 1);
        EXPECT_EQ(ser.UpdateString(Pattern(9000, 'm'), 1), last + 2);
    }
    model[0] = S("in place");
    model.back() = Ss({"x", "y"});
    model.push_back(S(Pattern(9000, 'm')));
    model.erase(model.begin() + 1);
    Serializer ser(file, UPDATE_MODE);
    ASSERT_EQ(ser.GetNumIndices(), model.size());
    for (UInt32 n = 0; n < model.size(); ++n)
        EXPECT_TRUE(ReadItem(ser, model[n].kind, n) == model[n]) << n;
}

TEST_F(SerializerTest, ItemsInTheLastWordOfABlockOpenForUpdate) {
    // Where appends put them: a number in block 2's last word, and a text
    // that starts in block 3's last word and goes on in block 4.
    Items model = {S(Pattern(10000, 'a')), U(5),      S(Pattern(8192 - 1816 - 8, 'z')), U(6),
                   S(Pattern(8184, 'y')),  S("spans")};
    WriteItems(file, model);
    const std::string bytes = read_text(file);
    ASSERT_EQ(EntryAt(bytes, 3), (Words{2, 8188, 4, 9, 4, 0, 0, 0}));
    ASSERT_EQ(EntryAt(bytes, 5), (Words{3, 8188, 9, 2, 12, 0, 0, 0}));
    {
        Serializer ser(file, UPDATE_MODE);
        EXPECT_EQ(PutItem(ser, U(60), 3, true), 3u);
        EXPECT_EQ(PutItem(ser, S("SPANS"), 5, true), 5u);
        EXPECT_EQ(ser.WriteString("after"), 6u);
    }
    model[3] = U(60);
    model[5] = S("SPANS");
    model.push_back(S("after"));
    Serializer ser(file, UPDATE_MODE);
    ASSERT_EQ(ser.GetNumIndices(), model.size());
    for (UInt32 n = 0; n < model.size(); ++n)
        EXPECT_TRUE(ReadItem(ser, model[n].kind, n) == model[n]) << n;
}

TEST_F(SerializerTest, WritesThatCannotCompleteAreRefused) {
    // The one item and the index sit in the last blocks a block file may
    // have (a sparse file): an append that would leave no room for the index
    // is refused, and the file closes as it was.
    WriteItems(file, {U(1)});
    std::string bytes = read_text(file);
    const UInt32 last = MAX_NUM_BLOCKS - 2;  // the index block
    PutWordAt(bytes, 0, 0, last);
    PutWordAt(bytes, 2, 0, last - 1);
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), 8192);
        out.seekp(static_cast<std::streamoff>(last - 1) * 8192);
        out.write(bytes.data() + 8192, 2 * 8192);
        ASSERT_TRUE(out.good());
    }
    {
        Serializer ser(file, UPDATE_MODE);
        EXPECT_THROW_MSG(ser.WriteString(Pattern(16384, 'x')), FileException,
                         Line("File would grow beyond the 4 GiB limit of a block file",
                              "Serializer::WriteStringAtIndex"));
    }
    EXPECT_EQ(std::filesystem::file_size(file), std::uintmax_t{last + 1} * 8192);
    EXPECT_EQ(Serializer(file, READ_MODE).ReadUInt32(0), 1u);

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

TEST_F(SerializerTest, BlocksAndTheBuffer) {
    write_text(file, std::string(2 * 8192, '\3') + "\x5A");
    {
        BlockIO io(file, READ_MODE);
        char* buffer = nullptr;
        io.GetBuffer(buffer);
        EXPECT_EQ(io.GetNumBlocks(), 3u);
        EXPECT_EQ(io.ReadBlock(2), 1u);  // a short last block is never held
        EXPECT_EQ(buffer[0], '\x5A');
        EXPECT_FALSE(io.IsBuffered(2));
        EXPECT_EQ(io.ReadBlock(0), 8192u);
        EXPECT_FALSE(io.IsBuffered(0));  // block 0 means "no block"
        ASSERT_EQ(io.ReadBlock(1), 8192u);
        write_text(file, std::string(3 * 8192, '\1'));  // changed behind its back
        EXPECT_EQ(io.ReadBlock(1), 8192u);
        EXPECT_EQ(buffer[0], '\3');  // the held block answers
        EXPECT_EQ(io.ReadBlock(2), 8192u);
        EXPECT_EQ(buffer[0], '\1');
    }
    EXPECT_EQ(BlockIO(dir.file("new"), UPDATE_MODE).GetNumBlocks(), 0u);
    struct stat st;
    ASSERT_EQ(::stat(dir.file("new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(BlockIO(file, CREATE_MODE).GetNumBlocks(), 0u);
    EXPECT_EQ(read_text(file).size(), 0u);
    char word[4];
    BlockIO::PutWord(word, 0x11223344);
    EXPECT_EQ(std::string(word, 4), "\x44\x33\x22\x11");  // little-endian on every host
}
