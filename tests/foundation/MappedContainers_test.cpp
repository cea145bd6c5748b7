// The two name-keyed containers: random edits checked against a plain list,
// then what each does on its own (copies; loading on first use).

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "foundation/String.h"
#include "foundation/mapped_ptr_vector.h"
#include "foundation/mapped_vector.h"
#include "support/Thrown.h"

namespace {

typedef std::vector<std::string> Names;

// Counts its instances; reads succeed or fail as told.
struct Fake {
    static int live, reads, readResult;
    static bool readThrowsRange;

    Fake(const std::string& n, CompareType) : name(n) { ++live; }
    ~Fake() { --live; }
    const std::string& GetName() const { return name; }
    void SetName(const std::string& n) { name = n; }
    void SetSerializer(Serializer* s) { serializer = s; }
    std::uint32_t Write() { return 42; }
    int Read(std::uint32_t item) {
        ++reads;
        readFrom = item;
        if (readThrowsRange)
            throw std::out_of_range("Invalid block number in BlockIO::ReadBlock");
        return readResult;
    }

    std::string name;
    Serializer* serializer = nullptr;
    std::uint32_t readFrom = 0;
};

int Fake::live, Fake::reads, Fake::readResult;
bool Fake::readThrowsRange;

// Both containers through one interface. The change each offers beyond
// appends and erasures: mapped_vector inserts at a position,
// mapped_ptr_vector renames.
struct NameList {
    mapped_vector list{CaseInsensitive};
    void Add(const std::string& name) { list.push_back(name); }
    void Erase(const std::string& name) { list.erase(name); }
    unsigned int Find(const std::string& name) const { return list.find(name); }
    std::string At(unsigned int i) const { return list[i]; }
    void Change(Names& model, unsigned int at, const std::string& name) {
        list.insert(at, name);
        model.insert(model.begin() + at, name);
    }
};

struct ObjectList {
    mapped_ptr_vector<Fake> objects{CaseInsensitive};
    std::vector<std::unique_ptr<Fake>> owned;
    void Add(const std::string& name) {
        owned.push_back(std::make_unique<Fake>(name, CaseSensitive));
        objects.push_back(owned.back().get(), static_cast<std::uint32_t>(owned.size()));
    }
    void Erase(const std::string& name) { objects.erase(name); }
    unsigned int Find(const std::string& name) const { return objects.find(name).first; }
    std::string At(unsigned int i) const { return objects.get_name(i); }
    void Change(Names& model, unsigned int at, const std::string& name) {
        objects.rename(model.at(at), name);
        EXPECT_EQ(objects[at]->GetName(), name);
        EXPECT_EQ(Find(model[at]), objects.size());  // the old name is gone
        model[at] = name;
    }
};

template <typename T>
class MappedContainers : public ::testing::Test {};
typedef ::testing::Types<NameList, ObjectList> Containers;
TYPED_TEST_SUITE(MappedContainers, Containers);

}  // namespace

// Lists grow past the length at which names get an index and shrink again;
// names differ from the model's in case, and every step looks some up twice
// (the second answer comes from the cache).
TYPED_TEST(MappedContainers, RandomEditsAgreeWithAPlainList) {
    std::mt19937 random(7);
    TypeParam container;
    Names model;
    const auto position = [&](const std::string& name) {
        for (unsigned int i = 0; i < model.size(); ++i)
            if (String::IsCiEqual(model[i], name))
                return i;
        return static_cast<unsigned int>(model.size());
    };
    for (int step = 0; step < 1500; ++step) {
        std::string name = "n" + std::to_string(random() % 60);
        if (random() % 2)
            String::UpperCase(name);
        const unsigned int at = position(name);
        const unsigned int grow = step % 500 < 250 ? 9 : 1;
        switch (random() % 4) {
            case 0:
            case 1:
                if (at == model.size() && random() % 10 < grow) {
                    container.Add(name);
                    model.push_back(name);
                } else if (at < model.size()) {
                    container.Erase(name);
                    model.erase(model.begin() + at);
                }
                break;
            case 2:
                if (at == model.size() && !model.empty())
                    container.Change(model, random() % model.size(), name);
                break;
        }
        for (int twice = 0; twice < 2; ++twice) {
            const std::string probe = "N" + std::to_string(random() % 60);
            ASSERT_EQ(container.Find(probe), position(probe)) << "step " << step << " " << probe;
            ASSERT_EQ(container.Find(name), position(name)) << "step " << step << " " << name;
        }
        for (unsigned int i = 0; step % 50 == 0 && i < model.size(); ++i)
            ASSERT_EQ(container.At(i), model[i]);
    }
}

TEST(MappedVector, CopiesAndMovesAreIndependent) {
    mapped_vector list(CaseInsensitive);
    list.push_back("a");
    list.push_back("b");
    EXPECT_EQ(list.find("B"), 1u);
    mapped_vector copy(list);
    copy.insert(0, "z");
    EXPECT_EQ(list.find("b"), 1u);
    EXPECT_EQ(copy.find("b"), 2u);
    mapped_vector moved(std::move(copy));
    EXPECT_EQ(moved.find("A"), 1u);
    EXPECT_EQ(copy.find("b"), 0u);
    // An empty cache is never compared with: a numeric order works at once.
    mapped_vector numbers(Numeric);
    numbers.push_back("7");
    numbers.push_back("12");
    EXPECT_EQ(numbers.find("007"), 0u);
    numbers.erase("12");
    EXPECT_EQ(numbers.find(" 7"), 0u);
}

// Objects still in the file are read on first use and handed to the owner;
// a failed read leaves the slot empty for a later try.
TEST(MappedPtrVector, LoadsOnFirstUseAndOwnsNothing) {
    Serializer* const ser = reinterpret_cast<Serializer*>(0x1000);  // passed on, never used
    Fake::live = Fake::reads = 0;
    {
        mapped_ptr_vector<Fake> objects(CaseSensitive);
        objects.push_back("t", 12);
        Fake present("p", CaseSensitive);
        objects.push_back(&present, 3);
        EXPECT_EQ(objects.load(0, ser, VIRTUAL_MODE), nullptr);
        EXPECT_EQ(objects.load(0, ser, CREATE_MODE), nullptr);
        EXPECT_EQ(objects.load(1, ser, READ_MODE), &present);
        const std::string prefix = "Could not read object \"t\" from the file";
        for (const int result : {-406, 1}) {  // 1: the read throws std::out_of_range
            Fake::readResult = result < 0 ? result : 0;
            Fake::readThrowsRange = result > 0;
            EXPECT_EQ(Thrown([&] { objects.load(0, ser, READ_MODE); }),
                      Throws("FileException",
                             prefix + (result < 0 ? ", result code -406"
                                                  : ": Invalid block number in BlockIO::ReadBlock"),
                             "mapped_ptr_vector::read"));
            EXPECT_EQ(objects[0], nullptr);
            EXPECT_EQ(Fake::live, 1);
        }
        Fake::readResult = 0;
        Fake::readThrowsRange = false;
        const std::unique_ptr<Fake> loaded(objects.load(0, ser, UPDATE_MODE));
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->name, "t");
        EXPECT_EQ(loaded->serializer, ser);
        EXPECT_EQ(loaded->readFrom, 12u);
        EXPECT_EQ(objects.load(0, ser, READ_MODE), loaded.get());
        EXPECT_EQ(Fake::reads, 3);
        EXPECT_EQ(objects.write("t"), 42u);
        EXPECT_EQ(objects.find("t"), (mapped_ptr_vector<Fake>::Entry(0, 42)));
        objects.erase("t");  // erased, not deleted
        EXPECT_EQ(Fake::live, 2);
    }
    EXPECT_EQ(Fake::live, 0);
}
