#include "foundation/mapped_ptr_vector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "BlockFileTestUtil.h"
#include "foundation/Exceptions.h"

using blockfile_test::Line;
using blockfile_test::TextOf;

namespace {

// Stands in for a table: counts its instances, reads and writes as told.
struct Fake {
    static int live, reads, readResult;
    static bool readThrowsRange, readThrowsLibrary;
    static std::uint32_t writeResult;

    Fake(const std::string& n, CompareType) : name(n) { ++live; }
    ~Fake() { --live; }
    const std::string& GetName() const { return name; }
    void SetName(const std::string& n) { name = n; }
    void SetSerializer(Serializer* s) { serializer = s; }
    std::uint32_t Write() { return writeResult; }
    int Read(std::uint32_t indexInFile) {
        ++reads;
        readFrom = indexInFile;
        if (readThrowsRange)
            throw std::out_of_range("Invalid block number in BlockIO::ReadBlock");
        if (readThrowsLibrary)
            throw InvalidStateException("Attempt to read deleted index", "Serializer::ReadString");
        return readResult;
    }

    std::string name;
    Serializer* serializer = nullptr;
    std::uint32_t readFrom = 0;
};

int Fake::live, Fake::reads, Fake::readResult;
bool Fake::readThrowsRange, Fake::readThrowsLibrary;
std::uint32_t Fake::writeResult;

typedef mapped_ptr_vector<Fake> Container;
typedef Container::Entry Entry;

class MappedPtrVector : public ::testing::Test {
protected:
    void SetUp() override {
        Fake::live = Fake::reads = Fake::readResult = 0;
        Fake::readThrowsRange = Fake::readThrowsLibrary = false;
        Fake::writeResult = 0;
    }

    // The container owns nothing; the test does.
    Fake* Make(const std::string& name) {
        owned.push_back(std::make_unique<Fake>(name, CaseSensitive));
        return owned.back().get();
    }

    std::vector<std::unique_ptr<Fake>> owned;
    Serializer* const ser = reinterpret_cast<Serializer*>(0x1000);  // never used
};

}  // namespace

TEST_F(MappedPtrVector, EraseAndRenameKeepIndexAndSlotsInStep) {
    Container c(CaseSensitive);
    c.push_back(Make("a"), 5);
    c.push_back(Make("b"), 6);
    Fake* third = Make("c");
    c.push_back(third, 7);
    EXPECT_EQ(c.find("b"), Entry(1, 6));  // cached; the erase must drop it

    c.erase("b");
    EXPECT_EQ(c.find("b"), Entry(2, 0));
    EXPECT_EQ(c.find("c"), Entry(1, 7));
    EXPECT_EQ(c[1], third);
    EXPECT_EQ(c.get_name(1), "c");

    c.rename("c", "d");
    EXPECT_EQ(third->name, "d");
    EXPECT_EQ(c.find("d"), Entry(1, 7));
    EXPECT_EQ(c.find("c"), Entry(2, 0));
    EXPECT_EQ(c.get_name(1), "d");
    EXPECT_THROW(c.rename("d", "a"), AlreadyExistsException);
    EXPECT_EQ(c.get_name(0), "a");
    EXPECT_EQ(Fake::live, 3);  // erased, not deleted

    Container ci(CaseInsensitive);
    ci.push_back(third, 0);
    ci.rename("D", "D");  // a change of case is the same entry
    EXPECT_EQ(ci.get_name(0), "D");
}

TEST_F(MappedPtrVector, LookupsAndRefusals) {
    Container c(CaseSensitive);
    EXPECT_EQ(c.find("a"), Entry(0, 0));
    c.push_back(Make("a"), 4);
    c.push_back("b", 9);  // still in the file
    c.push_back(Make("c"), 0);
    EXPECT_EQ(c.find("zz"), Entry(3, 0));
    EXPECT_EQ(c[1], nullptr);
    EXPECT_EQ(c["b"], nullptr);

    EXPECT_EQ(TextOf<std::out_of_range>([&] { (void)c[3]; }),
              "Invalid index in mapped_ptr_vector::operator[]");
    EXPECT_EQ(TextOf<std::out_of_range>([&] { (void)c.get_name(3); }),
              "Invalid index in mapped_ptr_vector::get_name");
    EXPECT_EQ(TextOf<NotFoundException>([&] { (void)c["zz"]; }),
              Line("Object not found", "mapped_ptr_vector::operator[]"));
    EXPECT_EQ(TextOf<EmptyValueException>([&] { c.push_back(nullptr, 0); }),
              Line("NULL vector", "mapped_ptr_vector::push_back"));
    EXPECT_EQ(TextOf<EmptyValueException>([&] { c.set(nullptr); }),
              Line("NULL vector", "mapped_ptr_vector::set"));
    EXPECT_EQ(TextOf<NotFoundException>([&] { c.set(Make("zz")); }),
              Line("Object not found", "mapped_ptr_vector::set"));
    EXPECT_THROW(c.push_back(Make("a"), 0), AlreadyExistsException);

    // An empty slot holds nothing to read, write or rename.
    EXPECT_EQ(TextOf<NotFoundException>([&] { c.read("b"); }),
              Line("Object not found", "mapped_ptr_vector::read"));
    EXPECT_EQ(TextOf<NotFoundException>([&] { c.write("b"); }),
              Line("Object not found", "mapped_ptr_vector::write"));
    EXPECT_EQ(TextOf<NotFoundException>([&] { c.rename("b", "x"); }),
              Line("Object not found", "mapped_ptr_vector::rename"));
    EXPECT_EQ(c.size(), 3u);
    EXPECT_EQ(c.find("b"), Entry(1, 9));
}

TEST_F(MappedPtrVector, WriteRecordsTheItemNumberAndRefusesFailures) {
    Container c(CaseSensitive);
    c.push_back(Make("a"), 0);
    Fake::writeResult = 42;
    EXPECT_EQ(c.write("a"), 42u);
    EXPECT_EQ(c.find("a"), Entry(0, 42));

    Fake::writeResult = static_cast<std::uint32_t>(-405);  // no Serializer
    EXPECT_THROW(c.write("a"), InvalidStateException);
    EXPECT_EQ(c.find("a"), Entry(0, 42));
}

TEST_F(MappedPtrVector, ClearAndDestructionLeaveObjectsAlive) {
    {
        Container c(CaseSensitive);
        c.push_back(Make("a"), 0);
        c.clear();
        EXPECT_EQ(c.find("a"), Entry(0, 0));
        c.push_back(Make("b"), 0);
    }
    EXPECT_EQ(Fake::live, 2);
}

TEST_F(MappedPtrVector, LoadReadsOnFirstUseOnly) {
    Container c(CaseSensitive);
    c.push_back("t", 12);
    Fake* present = Make("p");
    c.push_back(present, 3);

    EXPECT_EQ(c.load(0, ser, VIRTUAL_MODE), nullptr);
    EXPECT_EQ(c.load(0, ser, CREATE_MODE), nullptr);
    EXPECT_EQ(c.load(1, ser, READ_MODE), present);
    EXPECT_THROW(c.load(2, ser, READ_MODE), std::out_of_range);
    EXPECT_EQ(Fake::reads, 0);

    Fake* loaded = c.load(0, ser, UPDATE_MODE);
    ASSERT_NE(loaded, nullptr);
    owned.emplace_back(loaded);  // the owner's from now on
    EXPECT_EQ(loaded->name, "t");
    EXPECT_EQ(loaded->serializer, ser);
    EXPECT_EQ(loaded->readFrom, 12u);
    EXPECT_EQ(c.load(0, ser, READ_MODE), loaded);
    EXPECT_EQ(Fake::reads, 1);
}

TEST_F(MappedPtrVector, FailedLoadLeavesTheSlotEmpty) {
    struct Case {
        int result;
        bool throwsRange, throwsLibrary;
        std::string text;
    };
    const Case cases[] = {
        {-406, false, false,
         Line("Could not read object \"t\" from the file, result code -406",
              "mapped_ptr_vector::read")},
        {0, true, false,
         Line("Could not read object \"t\" from the file: "
              "Invalid block number in BlockIO::ReadBlock",
              "mapped_ptr_vector::read")},
        {0, false, true, Line("Attempt to read deleted index", "Serializer::ReadString")},
    };
    for (const auto& cs : cases) {
        SetUp();
        Container c(CaseSensitive);
        c.push_back("t", 12);
        Fake::readResult = cs.result;
        Fake::readThrowsRange = cs.throwsRange;
        Fake::readThrowsLibrary = cs.throwsLibrary;
        EXPECT_EQ(TextOf<MirtException>([&] { c.load(0, ser, READ_MODE); }), cs.text);
        EXPECT_EQ(c[0], nullptr);
        EXPECT_EQ(Fake::live, 0);

        SetUp();  // a later request tries again
        std::unique_ptr<Fake> loaded(c.load(0, ser, READ_MODE));
        EXPECT_NE(loaded, nullptr);
    }
    Container c(CaseSensitive);
    c.push_back("t", 12);
    EXPECT_THROW(c.load(0, nullptr, READ_MODE), InvalidStateException);
}
