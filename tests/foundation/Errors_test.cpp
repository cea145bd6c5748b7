// The exact error texts of the foundation layer in one table.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/BlockIO.h"
#include "foundation/BlockItems.h"
#include "foundation/CifString.h"
#include "foundation/Exceptions.h"
#include "foundation/MirtFile.h"
#include "foundation/Serializer.h"
#include "foundation/mapped_ptr_vector.h"
#include "foundation/mapped_vector.h"
#include "support/Files.h"
#include "support/Thrown.h"

namespace {

// The least an object of a mapped_ptr_vector must offer.
struct Named {
    Named(const std::string& n, CompareType) : name(n) {}
    const std::string& GetName() const { return name; }
    void SetName(const std::string& n) { name = n; }
    void SetSerializer(Serializer*) {}
    std::uint32_t Write() { return static_cast<std::uint32_t>(-405); }
    int Read(std::uint32_t) { return -406; }
    std::string name;
};

}  // namespace

TEST(FoundationErrors, ExactTexts) {
    ScratchDir dir;
    const Items items = {S("s"), U(1), Ss({"a"}), Us({1}), S("gone")};
    WriteItems(dir.file("read.bin"), items);
    Serializer reader(dir.file("read.bin"), READ_MODE);
    Serializer writer(dir.file("write.bin"), CREATE_MODE);
    for (const Item& item : items) PutItem(writer, item, writer.GetNumIndices());
    writer.Delete(4);
    std::string text;
    mapped_vector list(CaseSensitive);
    for (const char* name : {"a", "b", "c"}) list.push_back(name);
    Named object("a", CaseSensitive), other("zz", CaseSensitive);
    mapped_ptr_vector<Named> objects(CaseSensitive);
    objects.push_back(&object);
    objects.push_back("b", 9);  // still in the file
    const std::string missing = dir.file("missing");

    // Type names short, so that each row keeps to its line.
    const std::string Ev = "EmptyValueException", Fm = "FileModeException", Fe = "FileException",
                      Is = "InvalidStateException", Or = "std::out_of_range",
                      Nf = "NotFoundException", Ae = "AlreadyExistsException";
    const struct {
        std::function<void()> action;
        std::string type, message, location;
    } cases[] = {
        {[] { BlockIO io("", READ_MODE); }, Ev, "Empty file name", "BlockIO::BlockIO"},
        {[&] { BlockIO io(missing, FileMode(4)); }, Fm, "Invalid file mode: 4", "BlockIO::BlockIO"},
        {[&] { BlockIO io(missing, READ_MODE); }, Fe, "Could not open file: " + missing,
         "BlockIO::OpenFile"},
        {[&] { writer.ReadString(text, 0); }, Fm, "Read attempt in write-only file",
         "Serializer::ReadString"},
        {[&] { writer.UpdateUInt32s({}, 3); }, Ev, "Empty words vector",
         "Serializer::UpdateUInt32s"},
        {[&] { writer.UpdateStrings({}, 2); }, Ev, "Empty strings vector",
         "Serializer::UpdateStrings"},
        {[&] { writer.UpdateStrings({"a"}, 0); }, Is, "Attempt to update non-String",
         "Serializer::UpdateStrings"},
        {[&] { writer.UpdateString("x", 4); }, Is, "Attempt to update deleted index",
         "Serializer::UpdateString"},
        {[&] { writer.WriteStringAtIndex("too long", 0); }, Is,
         "Value does not fit the reserved length of the item", "Serializer::WriteStringAtIndex"},
        {[&] { writer.WriteUInt32AtIndex(1, 6); }, Or,
         "Invalid index in Serializer::WriteUInt32AtIndex", ""},
        {[&] { writer.Delete(5); }, Or, "Invalid index in Serializer::Delete", ""},
        {[&] { reader.WriteString("x"); }, Fm, "Write attempt in read-only file",
         "Serializer::WriteStringAtIndex"},
        {[&] { reader.Delete(0); }, Fm, "Delete index attempt in read-only file",
         "Serializer::Delete"},
        {[&] { ReadItem(reader, Item::TEXT, 1); }, Is, "Attempt to read non-string",
         "Serializer::ReadString"},
        {[&] { ReadItem(reader, Item::TEXTS, 3); }, Is, "Attempt to read non-Strings",
         "Serializer::ReadStrings"},
        {[&] { ReadItem(reader, Item::TEXT, 5); }, Or, "Invalid index in Serializer::ReadString",
         ""},
        {[&] { list.insert(0, "b"); }, Or, "Element exists in mapped_vector::insert", ""},
        {[&] { list.insert(4, "d"); }, Or, "Invalid index in mapped_vector::insert", ""},
        {[&] { list.erase("d"); }, Or, "Element not found in mapped_vector::erase", ""},
        {[&] { (void)objects["zz"]; }, Nf, "Object not found", "mapped_ptr_vector::operator[]"},
        {[&] { objects.push_back(nullptr, 0); }, Ev, "NULL vector", "mapped_ptr_vector::push_back"},
        {[&] { objects.push_back(&object, 0); }, Ae, "Object already exists",
         "mapped_ptr_vector::push_back"},
        {[&] { objects.set(&other); }, Nf, "Object not found", "mapped_ptr_vector::set"},
        {[&] { objects.rename("a", "b"); }, Ae, "Object already exists",
         "mapped_ptr_vector::rename"},
        // An empty slot holds nothing to write or rename.
        {[&] { objects.write("b"); }, Nf, "Object not found", "mapped_ptr_vector::write"},
        {[&] { objects.rename("b", "x"); }, Nf, "Object not found", "mapped_ptr_vector::rename"},
        {[&] { objects.write("a"); }, Is, "Could not write object \"a\", result code -405",
         "mapped_ptr_vector::write"},
        {[&] { objects.read("a"); }, Fe,
         "Could not read object \"a\" from the file, result code -406", "mapped_ptr_vector::read"},
        {[&] { objects.load(1, nullptr, READ_MODE); }, Is,
         "No Serializer to read object \"b\" from", "mapped_ptr_vector::read"},
        {[&] { MirtFile::Delete(missing); }, Nf, "File \"" + missing + "\" not found",
         "MirtFile::Delete"},
        {[&] { CifString::MakeCifItem(text, "", ""); }, Ev, "Empty category name",
         "CifString::MakeCifItem"},
    };
    for (const auto& c : cases) EXPECT_EQ(Thrown(c.action), Throws(c.type, c.message, c.location));
    // The refusals changed nothing.
    EXPECT_EQ(list.get_vector(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(objects.find("b"), (mapped_ptr_vector<Named>::Entry(1, 9)));
    EXPECT_EQ(writer.GetNumIndices(), 5u);
}
