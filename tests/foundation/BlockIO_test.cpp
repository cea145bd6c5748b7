#include "foundation/BlockIO.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "BlockFileTestUtil.h"
#include "foundation/Exceptions.h"

using namespace blockfile_test;

namespace {

class BlockIOTest : public ScratchDir {};

}  // namespace

TEST_F(BlockIOTest, OpeningChecksCreatesAndEmpties) {
    EXPECT_EQ(TextOf<EmptyValueException>([] { BlockIO io("", READ_MODE); }),
              Line("Empty file name", "BlockIO::BlockIO"));
    for (int mode : {0, 4, -1})
        EXPECT_EQ(
            TextOf<FileModeException>([&] { BlockIO io(Path("f"), static_cast<FileMode>(mode)); }),
            Line("Invalid file mode: " + std::to_string(mode), "BlockIO::BlockIO"));
    const std::string missing = Path("missing");
    EXPECT_EQ(TextOf<FileException>([&] { BlockIO io(missing, READ_MODE); }),
              Line("Could not open file: " + missing, "BlockIO::OpenFile"));

    EXPECT_EQ(BlockIO(missing, UPDATE_MODE).GetNumBlocks(), 0u);
    struct stat st;
    ASSERT_EQ(::stat(missing.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    WriteBytes(Path("old"), Bytes(20000, 7));
    EXPECT_EQ(BlockIO(Path("old"), READ_MODE).GetNumBlocks(), 3u);
    EXPECT_EQ(BlockIO(Path("old"), CREATE_MODE).GetNumBlocks(), 0u);
    EXPECT_EQ(ReadBytes(Path("old")).size(), 0u);
}

TEST_F(BlockIOTest, ShortLastBlockIsNeverHeld) {
    Bytes bytes(8193, 0);
    bytes[8192] = 0x5A;
    WriteBytes(Path("f"), bytes);

    BlockIO io(Path("f"), READ_MODE);
    EXPECT_EQ(io.GetNumBlocks(), 2u);
    char* buffer = nullptr;
    io.GetBuffer(buffer);

    EXPECT_EQ(io.ReadBlock(1), 1u);
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0x5A);
    EXPECT_FALSE(io.IsBuffered(1));
    EXPECT_EQ(io.ReadBlock(1), 1u);  // read again, still short

    EXPECT_EQ(io.ReadBlock(0), 8192u);
    EXPECT_FALSE(io.IsBuffered(0));  // block 0 means "no block"
    EXPECT_EQ(TextOf<std::out_of_range>([&] { io.ReadBlock(2); }),
              "Invalid block number in BlockIO::ReadBlock");
}

TEST_F(BlockIOTest, HeldBlockIsServedFromTheBuffer) {
    WriteBytes(Path("f"), Bytes(3 * 8192, 1));
    BlockIO io(Path("f"), READ_MODE);
    char* buffer = nullptr;
    io.GetBuffer(buffer);
    ASSERT_EQ(io.ReadBlock(2), 8192u);
    EXPECT_TRUE(io.IsBuffered(2));

    // Changed behind its back: the buffered copy answers.
    WriteBytes(Path("f"), Bytes(3 * 8192, 9));
    EXPECT_EQ(io.ReadBlock(2), 8192u);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(io.ReadBlock(1), 8192u);
    EXPECT_EQ(buffer[0], 9);
}

TEST_F(BlockIOTest, WritingPastTheEndExtendsTheFile) {
    WriteBytes(Path("f"), Bytes(2 * 8192, 3));
    {
        BlockIO io(Path("f"), UPDATE_MODE);
        char* buffer = nullptr;
        io.GetBuffer(buffer);
        std::memset(buffer, 0x77, 8192);
        io.WriteBlock(5);
        EXPECT_EQ(io.GetNumBlocks(), 6u);
        EXPECT_TRUE(io.IsBuffered(5));
        for (UInt32 block = 2; block < 5; ++block) {
            ASSERT_EQ(io.ReadBlock(block), 8192u);
            EXPECT_EQ(buffer[0], 0);
            EXPECT_EQ(buffer[8191], 0);
        }
        io.NewBlock(6);
        EXPECT_TRUE(io.IsBuffered(6));
        EXPECT_EQ(buffer[100], 0);
        EXPECT_EQ(io.GetNumBlocks(), 6u);  // not on disk until written
        io.CloseFile();
    }
    const Bytes bytes = ReadBytes(Path("f"));
    ASSERT_EQ(bytes.size(), 49152u);
    EXPECT_EQ(bytes[5 * 8192], 0x77);
    EXPECT_EQ(bytes[8191], 3);
}

TEST_F(BlockIOTest, FailedWriteThrows) {
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    BlockIO io("/dev/full", UPDATE_MODE);
    EXPECT_THROW(io.WriteBlock(1), FileException);
}

TEST(BlockIOWords, AreLittleEndianOnEveryHost) {
    char bytes[4];
    BlockIO::PutWord(bytes, 1);
    EXPECT_EQ(std::string(bytes, 4), std::string("\x01\x00\x00\x00", 4));
    BlockIO::PutWord(bytes, 0x11223344);
    EXPECT_EQ(std::string(bytes, 4), "\x44\x33\x22\x11");
    EXPECT_EQ(BlockIO::GetWord(bytes), 0x11223344u);
}
