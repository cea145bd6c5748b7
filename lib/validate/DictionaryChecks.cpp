// CifFile: the checks of a block as a whole: mandatory categories against the
// dictionary, and a dictionary block's own category keys and item categories.

#include <ostream>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "foundation/CifString.h"
#include "foundation/Exceptions.h"

namespace {

typedef std::vector<std::string> Names;

ISTable& RequiredTable(Block& block, const std::string& name, const char* location) {
    ISTable* table = block.GetTablePtr(name);
    if (table == nullptr) {
        throw NotFoundException(
            "Table \"" + name + "\" not found in block \"" + block.GetName() + "\"", location);
    }
    return *table;
}

bool IsMandatoryCode(const std::string& code) {
    return code == "yes" || code == "implicit" || code == "implicit-ordinal";
}

}  // namespace

bool CifFile::_IsCategoryDefined(const std::string& category, ISTable* categoryTable) const {
    if (categoryTable == nullptr) {
        return false;
    }
    return categoryTable->FindFirst(Names{category}, Names{"id"}, "") < categoryTable->GetNumRows();
}

int CifFile::_CheckMandatoryCategories(Block& block, Block& dict, std::ostream& out) const {
    ISTable& category = RequiredTable(dict, "category", "CifFile::_CheckMandatoryCategories");
    std::vector<unsigned int> rows;
    category.Search(rows, Names{"yes"}, Names{"mandatory_code"}, 0, 0, 0, "");
    int result = 1;
    for (const unsigned int row : rows) {
        const std::string& id = category(row, "id");
        if (!block.IsTablePresent(id)) {
            out << "ERROR - category \"" << id
                << "\" is mandatory, but it is not present in datablock \"" << block.GetName()
                << "\"" << std::endl;
            result = 0;
        }
    }
    return result;
}

void CifFile::_CheckCategoryKeys(Block& block, std::ostream& out) const {
    ISTable* categoryKey = block.GetTablePtr("category_key");
    ISTable* item = block.GetTablePtr("item");
    if (categoryKey == nullptr || item == nullptr) {
        return;
    }
    const std::string& blockName = block.GetName();
    for (unsigned int r = 0; r < categoryKey->GetNumRows(); ++r) {
        const std::string& name = (*categoryKey)(r, "name");
        if (CifString::IsEmptyValue(name)) {
            out << "ERROR - In block \"" << blockName << "\", for \"_category_key.id\" == \""
                << (*categoryKey)(r, "id") << "\", invalid value \"_category_key.name\" == \""
                << name << "\"" << std::endl;
            continue;
        }
        const unsigned int itemRow = item->FindFirst(Names{name}, Names{"name"}, "");
        if (itemRow >= item->GetNumRows()) {
            out << "ERROR - In block \"" << blockName << "\", item \"" << name
                << "\" exists in category_key  but it is not defined" << std::endl;
        } else if (!IsMandatoryCode((*item)(itemRow, "mandatory_code"))) {
            out << "ERROR - In block \"" << blockName << "\", key item \"" << name
                << "\" is defined as non-mandatory" << std::endl;
        }
    }
}

void CifFile::_CheckItemCategories(Block& block, std::ostream& out) const {
    ISTable* item = block.GetTablePtr("item");
    if (item == nullptr || item->GetNumRows() == 0) {
        return;
    }
    ISTable& category = RequiredTable(block, "category", "CifFile::_CheckItemCategories");
    const std::string& blockName = block.GetName();
    std::string categoryPart;
    for (unsigned int r = 0; r < item->GetNumRows(); ++r) {
        const std::string& name = (*item)(r, "name");
        CifString::GetCategoryFromCifItem(categoryPart, name);
        const std::string& categoryId = (*item)(r, "category_id");
        if (categoryPart != categoryId) {
            out << "ERROR - In block \"" << blockName
                << "\", category name mismatch between \"_item.category_id\" == \"" << categoryId
                << "\" and \"_item.name\" == \"" << name << "\" at row# " << r + 1
                << " in \"item\" table" << std::endl;
        }
        if (!_IsCategoryDefined(categoryPart, &category)) {
            out << "ERROR - In block \"" << blockName << "\", item \"" << name
                << "\" does not have its category, \"" << categoryPart << "\", defined."
                << std::endl;
        }
    }
}
