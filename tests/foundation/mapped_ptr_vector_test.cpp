#include "foundation/mapped_ptr_vector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"

namespace
{

// Stands in for a table: counts its instances and reads and writes as told.
class FakeObject
{
public:
    static int live;
    static int reads;
    static int readResult;
    static bool readThrowsRange;
    static bool readThrowsLibrary;
    static std::uint32_t writeResult;

    FakeObject(const std::string& name, CompareType) : _name(name)
    {
        ++live;
    }
    ~FakeObject()
    {
        --live;
    }

    const std::string& GetName() const
    {
        return _name;
    }
    void SetName(const std::string& name)
    {
        _name = name;
    }
    void SetSerializer(Serializer* serializer)
    {
        _serializer = serializer;
    }
    Serializer* GetSerializer() const
    {
        return _serializer;
    }

    int Read(std::uint32_t indexInFile)
    {
        ++reads;
        readFrom = indexInFile;
        if (readThrowsRange)
            throw std::out_of_range("Invalid block number in BlockIO::ReadBlock");
        if (readThrowsLibrary)
            throw InvalidStateException("Attempt to read deleted index",
                                        "Serializer::ReadString");
        return readResult;
    }

    std::uint32_t Write()
    {
        return writeResult;
    }

    std::uint32_t readFrom = 0;

private:
    std::string _name;
    Serializer* _serializer = nullptr;
};

int FakeObject::live = 0;
int FakeObject::reads = 0;
int FakeObject::readResult = 0;
bool FakeObject::readThrowsRange = false;
bool FakeObject::readThrowsLibrary = false;
std::uint32_t FakeObject::writeResult = 0;

typedef mapped_ptr_vector<FakeObject> Container;
typedef Container::Entry Entry;

class MappedPtrVector : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeObject::live = 0;
        FakeObject::reads = 0;
        FakeObject::readResult = 0;
        FakeObject::readThrowsRange = false;
        FakeObject::readThrowsLibrary = false;
        FakeObject::writeResult = 0;
    }

    FakeObject* Make(const std::string& name)
    {
        owned.push_back(std::make_unique<FakeObject>(name, CaseSensitive));
        return owned.back().get();
    }

    // The container owns nothing; the test does.
    std::vector<std::unique_ptr<FakeObject>> owned;
    // Never dereferenced by the container or the fake.
    Serializer* const someSerializer = reinterpret_cast<Serializer*>(0x1000);
};

template <typename Exc, typename Action>
std::string TextOf(Action action)
{
    try
    {
        action();
    }
    catch (const Exc& exc)
    {
        return exc.what();
    }
    return "no exception";
}

std::string Line(const std::string& message, const std::string& location)
{
    return "Message: \"" + message + "\" generated at: " + location + "\n";
}

} // namespace

TEST_F(MappedPtrVector, EraseMovesLaterSlotsDown)
{
    Container c(CaseSensitive);
    FakeObject* a = Make("a");
    FakeObject* b = Make("b");
    FakeObject* cc = Make("c");
    c.push_back(a, 5);
    c.push_back(b, 6);
    c.push_back(cc, 7);

    c.erase("b");
    EXPECT_EQ(c.size(), 2u);
    EXPECT_EQ(c.find("a"), Entry(0, 5));
    EXPECT_EQ(c.find("c"), Entry(1, 7));
    EXPECT_EQ(c.find("b"), Entry(2, 0));
    EXPECT_EQ(c[1], cc);
    EXPECT_EQ(c.get_name(0), "a");
    EXPECT_EQ(c.get_name(1), "c");
    EXPECT_EQ(FakeObject::live, 3);  // erased, not deleted
}

TEST_F(MappedPtrVector, RenameKeepsSlotAndFileIndex)
{
    Container c(CaseSensitive);
    c.push_back(Make("a"), 1);
    c.push_back(Make("b"), 2);
    FakeObject* obj = Make("c");
    c.push_back(obj, 3);
    EXPECT_EQ(c.find("c"), Entry(2, 3));  // cached

    c.rename("c", "d");
    EXPECT_EQ(obj->GetName(), "d");
    EXPECT_EQ(c.find("d"), Entry(2, 3));
    EXPECT_EQ(c.find("c"), Entry(3, 0));
    EXPECT_EQ(c.get_name(2), "d");
    EXPECT_EQ(c["d"], obj);

    // A name held by another entry is refused; a change of case under a
    // case-insensitive order is a rename of the same entry.
    EXPECT_THROW(c.rename("d", "a"), AlreadyExistsException);
    EXPECT_EQ(c.find("d"), Entry(2, 3));
    Container ci(CaseInsensitive);
    FakeObject* x = Make("x");
    ci.push_back(x, 0);
    ci.rename("x", "X");
    EXPECT_EQ(ci.get_name(0), "X");
    EXPECT_EQ(x->GetName(), "X");
}

TEST_F(MappedPtrVector, LookupsAndTheirFailures)
{
    Container c(CaseSensitive);
    EXPECT_EQ(c.find("a"), Entry(0, 0));
    c.push_back(Make("a"), 4);
    c.push_back("b", 9);  // still in the file
    c.push_back(Make("c"), 0);

    EXPECT_EQ(c.find("zz"), Entry(3, 0));
    EXPECT_EQ(c[1], nullptr);
    EXPECT_EQ(c["b"], nullptr);
    EXPECT_EQ(c.find("b"), Entry(1, 9));

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
    EXPECT_EQ(TextOf<NotFoundException>([&] { c.erase("zz"); }),
              Line("Object not found", "mapped_ptr_vector::erase"));
    EXPECT_THROW(c.push_back(Make("a"), 0), AlreadyExistsException);
    EXPECT_EQ(c.size(), 3u);
}

TEST_F(MappedPtrVector, EmptySlotsAreRefusedByReadWriteAndRename)
{
    Container c(CaseSensitive);
    c.push_back("b", 9);
    const char* const ops[] = {"read", "write", "rename"};
    for (const char* op : ops)
    {
        const std::string location = std::string("mapped_ptr_vector::") + op;
        const std::string text = TextOf<NotFoundException>([&] {
            if (op == ops[0])
                c.read("b");
            else if (op == ops[1])
                c.write("b");
            else
                c.rename("b", "c");
        });
        EXPECT_EQ(text, Line("Object not found", location));
        EXPECT_EQ(c.find("b"), Entry(0, 9));
    }
}

TEST_F(MappedPtrVector, WriteRecordsTheObjectsItemNumber)
{
    Container c(CaseSensitive);
    c.push_back(Make("a"), 0);
    FakeObject::writeResult = 42;
    EXPECT_EQ(c.write("a"), 42u);
    EXPECT_EQ(c.find("a"), Entry(0, 42));

    // -405: the object has no Serializer. It must not become an item number.
    FakeObject::writeResult = static_cast<std::uint32_t>(-405);
    EXPECT_THROW(c.write("a"), InvalidStateException);
    EXPECT_EQ(c.find("a"), Entry(0, 42));
}

TEST_F(MappedPtrVector, SetAndReadUseTheRecordedItem)
{
    Container c(CaseSensitive);
    c.push_back("t", 17);
    FakeObject* obj = Make("t");
    c.set(obj);
    EXPECT_EQ(c[0], obj);
    EXPECT_EQ(c.find("t"), Entry(0, 17));
    c.read("t");
    EXPECT_EQ(obj->readFrom, 17u);

    FakeObject::readResult = -406;
    EXPECT_THROW(c.read("t"), FileException);
    EXPECT_EQ(c[0], obj);  // not ours to delete
}

TEST_F(MappedPtrVector, DestroyAndClearLeaveObjectsAlive)
{
    {
        Container c(CaseSensitive);
        c.push_back(Make("a"), 0);
        c.push_back(Make("b"), 0);
        c.clear();
        EXPECT_EQ(c.size(), 0u);
        EXPECT_EQ(c.find("a"), Entry(0, 0));
        c.push_back(Make("c"), 0);
    }
    EXPECT_EQ(FakeObject::live, 3);
}

TEST_F(MappedPtrVector, LoadReadsOnFirstUseOnly)
{
    Container c(CaseSensitive);
    c.push_back("t", 12);
    FakeObject* present = Make("p");
    c.push_back(present, 3);

    EXPECT_EQ(c.load(0, someSerializer, VIRTUAL_MODE), nullptr);
    EXPECT_EQ(c.load(0, someSerializer, CREATE_MODE), nullptr);
    EXPECT_EQ(c.load(1, someSerializer, READ_MODE), present);
    EXPECT_EQ(FakeObject::reads, 0);
    EXPECT_EQ(TextOf<std::out_of_range>([&] { c.load(2, someSerializer, READ_MODE); }),
              "Invalid index in mapped_ptr_vector::operator[]");

    FakeObject* loaded = c.load(0, someSerializer, UPDATE_MODE);
    ASSERT_NE(loaded, nullptr);
    owned.emplace_back(loaded);  // the owner's from now on
    EXPECT_EQ(loaded->GetName(), "t");
    EXPECT_EQ(loaded->GetSerializer(), someSerializer);
    EXPECT_EQ(loaded->readFrom, 12u);
    EXPECT_EQ(c[0], loaded);
    EXPECT_EQ(c.load(0, someSerializer, READ_MODE), loaded);
    EXPECT_EQ(FakeObject::reads, 1);
}

TEST_F(MappedPtrVector, FailedLoadLeavesTheSlotEmpty)
{
    struct Case
    {
        const char* what;
        int result;
        bool throwsRange;
        bool throwsLibrary;
        std::string expected;  // first line of the library exception
    };
    const Case cases[] = {
        {"non-zero result", -406, false, false,
         Line("Could not read object \"t\" from the file, result code -406",
              "mapped_ptr_vector::read")},
        {"standard exception", 0, true, false,
         Line("Could not read object \"t\" from the file: Invalid block "
              "number in BlockIO::ReadBlock",
              "mapped_ptr_vector::read")},
        {"library exception passes unchanged", 0, false, true,
         Line("Attempt to read deleted index", "Serializer::ReadString")},
    };
    for (const auto& cs : cases)
    {
        SetUp();
        Container c(CaseSensitive);
        c.push_back("t", 12);
        FakeObject::readResult = cs.result;
        FakeObject::readThrowsRange = cs.throwsRange;
        FakeObject::readThrowsLibrary = cs.throwsLibrary;

        EXPECT_EQ(TextOf<MirtException>([&] { c.load(0, someSerializer, READ_MODE); }),
                  cs.expected)
            << cs.what;
        EXPECT_EQ(c[0], nullptr) << cs.what;
        EXPECT_EQ(FakeObject::live, 0) << cs.what;

        // A later attempt tries again.
        FakeObject::readResult = 0;
        FakeObject::readThrowsRange = false;
        FakeObject::readThrowsLibrary = false;
        std::unique_ptr<FakeObject> loaded(c.load(0, someSerializer, READ_MODE));
        EXPECT_NE(loaded, nullptr) << cs.what;
        EXPECT_EQ(FakeObject::reads, 2) << cs.what;
    }

    Container c(CaseSensitive);
    c.push_back("t", 12);
    EXPECT_THROW(c.load(0, nullptr, READ_MODE), InvalidStateException);
    EXPECT_EQ(FakeObject::live, 0);
}
