#include "cif/SaveFrameKeys.h"

#include <string_view>

#include "cif/CategoryBuffer.h"

namespace {

struct ImplicitKey {
    std::string_view category;
    std::string_view attribute;
};

// The items whose mandatory code is "implicit" in DDL 2.1, by the kind of
// frame that holds them, plus _category.id, which a category frame may leave
// to its name. _item.name comes before _item.category_id: the latter is
// derived from the former.
const ImplicitKey kItemFrameKeys[] = {
    {"item", "name"},
    {"item", "category_id"},
    {"item_aliases", "name"},
    {"item_default", "name"},
    {"item_dependent", "name"},
    {"item_description", "name"},
    {"item_enumeration", "name"},
    {"item_examples", "name"},
    {"item_linked", "parent_name"},
    {"item_methods", "name"},
    {"item_range", "name"},
    {"item_related", "name"},
    {"item_structure", "name"},
    {"item_sub_category", "name"},
    {"item_type", "name"},
    {"item_type_conditions", "name"},
    {"item_units", "name"},
    {"ndb_item_description", "name"},
    {"ndb_item_enumeration", "name"},
    {"ndb_item_examples", "name"},
};

const ImplicitKey kCategoryFrameKeys[] = {
    {"category", "id"},
    {"category_key", "id"},
    {"category_examples", "id"},
    {"category_group", "category_id"},
    {"category_methods", "category_id"},
    {"ndb_category_description", "id"},
    {"ndb_category_examples", "id"},
};

// The category part of an item name ("_a.b" -> "a"); empty when the name has
// no such part.
std::string CategoryOfItem(const std::string& itemName) {
    if (itemName.size() < 2 || itemName[0] != '_') {
        return std::string();
    }
    const std::size_t dot = itemName.find('.', 1);
    if (dot == std::string::npos) {
        return std::string();
    }
    return itemName.substr(1, dot - 1);
}

bool IsGiven(const std::vector<bool>& given, unsigned int col) {
    return col < given.size() && given[col];
}

void FillColumn(CategoryBuffer& buffer, std::size_t firstRow, unsigned int col,
                const std::string& value) {
    for (std::size_t row = firstRow; row < buffer.NumRows(); ++row) {
        buffer.SetCell(row, col, value);
    }
}

// Puts the indices of the category's entries of keys in found, at most max of
// them, in list order; returns their count.
template <std::size_t N>
std::size_t KeysOf(const ImplicitKey (&keys)[N], const std::string& category, unsigned char* found,
                   std::size_t max) {
    std::size_t count = 0;
    for (std::size_t k = 0; k < N && count < max; ++k) {
        if (category == keys[k].category) {
            found[count++] = static_cast<unsigned char>(k);
        }
    }
    return count;
}

}  // namespace

ImplicitFrameKeys::ImplicitFrameKeys(const std::string& category)
    : _numItemKeys(KeysOf(kItemFrameKeys, category, _itemKeys, kMaxKeys)),
      _numCategoryKeys(KeysOf(kCategoryFrameKeys, category, _categoryKeys, kMaxKeys)) {}

void ImplicitFrameKeys::Fill(CategoryBuffer& buffer, std::size_t firstRow,
                             const std::vector<bool>& given, const std::string& frameName,
                             const std::string& frameKey) const {
    const bool itemFrame = IsItemFrame(frameName);
    const std::size_t numKeys = itemFrame ? _numItemKeys : _numCategoryKeys;
    if (numKeys == 0 || firstRow >= buffer.NumRows()) {
        return;
    }
    for (std::size_t k = 0; k < numKeys; ++k) {
        const ImplicitKey& key =
            itemFrame ? kItemFrameKeys[_itemKeys[k]] : kCategoryFrameKeys[_categoryKeys[k]];
        const unsigned int known = buffer.Find(key.attribute);
        if (known != CategoryBuffer::kNoColumn && IsGiven(given, known)) {
            continue;
        }
        const unsigned int col =
            known != CategoryBuffer::kNoColumn ? known : buffer.ColumnFor(key.attribute);
        if (itemFrame && key.attribute == "category_id") {
            // Each row's category comes from its own item name, when it has one.
            const unsigned int nameCol = buffer.Find("name");
            for (std::size_t row = firstRow; row < buffer.NumRows(); ++row) {
                std::string category;
                if (nameCol != CategoryBuffer::kNoColumn && nameCol < buffer.RowAt(row).size()) {
                    category = CategoryOfItem(buffer.RowAt(row)[nameCol]);
                }
                if (category.empty()) {
                    category = CategoryOfItem(frameKey);
                }
                buffer.SetCell(row, col, category.empty() ? std::string(1, '?') : category);
            }
        } else {
            FillColumn(buffer, firstRow, col, frameKey);
        }
    }
}
