// The two name-keyed containers: random edits checked against a plain list.
// (Loading on first use is tested with stored tables.)

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/String.h"
#include "foundation/mapped_ptr_vector.h"
#include "foundation/mapped_vector.h"

namespace {

typedef std::vector<std::string> Names;

struct Named {
    Named(const std::string& n) : name(n) {}
    const std::string& GetName() const { return name; }
    void SetName(const std::string& n) { name = n; }
    std::string name;
};

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
    mapped_ptr_vector<Named> objects{CaseInsensitive};
    std::vector<std::unique_ptr<Named>> owned;
    void Add(const std::string& name) {
        owned.push_back(std::make_unique<Named>(name));
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

TEST(MappedVector, AnEmptyCacheIsNeverComparedWith) {
    // A numeric order works at once.
    mapped_vector numbers(Numeric);
    numbers.push_back("7");
    numbers.push_back("12");
    EXPECT_EQ(numbers.find("007"), 0u);
    numbers.erase("12");
    EXPECT_EQ(numbers.find(" 7"), 0u);
}
