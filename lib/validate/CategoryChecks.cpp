// CifFile: every table of a data block against the dictionary's definitions
// of its category and items.

#include <ostream>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "foundation/CifString.h"
#include "validate/CheckDictionary.h"
#include "validate/CifParentChild.h"

namespace {

typedef std::vector<std::string> Names;

// Searches on category_key.id match category names whatever their case.
const unsigned char kCaseInsensitiveText = 0x11;

// Shares the parent keys gathered by the relation checks among the tables
// of one block, which the checks do not change, and drops them on every way
// out of the block's checks.
class BlockParentKeysScope {
public:
    BlockParentKeysScope(CifParentChild& relations, const Block& block) : _relations(relations) {
        _relations.BeginBlockChecks(block);
    }
    ~BlockParentKeysScope() { _relations.EndBlockChecks(); }
    BlockParentKeysScope(const BlockParentKeysScope&) = delete;
    BlockParentKeysScope& operator=(const BlockParentKeysScope&) = delete;

private:
    CifParentChild& _relations;
};

}  // namespace

bool CifFile::_IsItemDefined(const std::string& category, const std::string& attribute,
                             ISTable& item) const {
    std::string cifItem;
    CifString::MakeCifItem(cifItem, category, attribute);
    return item.FindFirst(Names{category, cifItem},
                          Names{CifString::AttributeCategoryId, CifString::AttributeName},
                          std::string()) < item.GetNumRows();
}

int CifFile::_CheckCategories(Block& block, Block& dict, std::ostream& out) {
    CheckDictionary prepared(dict);
    return _CheckCategories(block, prepared, out);
}

int CifFile::_CheckCategories(Block& block, CheckDictionary& dict, std::ostream& out) {
    int result = 1;
    dict.Prepare(_usePdbxItemTables);
    ISTable& categoryKey = dict.GetCategoryKey();
    categoryKey.SetFlags(CifString::AttributeId, kCaseInsensitiveText);
    ISTable& item = dict.GetItem();
    CifParentChild& relations = dict.PrepareRelations();

    const std::string& blockName = block.GetName();
    Names tableNames;
    block.GetTableNames(tableNames);
    Names keys;
    const BlockParentKeysScope sharedParentKeys(relations, block);
    for (const std::string& name : tableNames) {
        ISTable& table = *block.GetTablePtr(name);
        const bool defined = _IsCategoryDefined(name, &dict.GetCategory());
        if (!defined) {
            out << "ERROR - In block \"" << blockName << "\", category \"" << name
                << "\" is not defined in the reference file" << std::endl;
        }
        std::string cifItem;
        for (const std::string& column : table.GetColumnNames()) {
            CifString::MakeCifItem(cifItem, name, column);
            if (!dict.IsItemDefined(name, cifItem)) {
                out << "ERROR - In block \"" << blockName << "\", in category \"" << name
                    << "\", item \"" << column << "\" is not defined in the reference file"
                    << std::endl;
            }
        }
        if (!defined) {
            continue;
        }
        _GetKeyItems(keys, name, categoryKey);
        _CheckKeyItems(blockName, table, keys, out);
        _CheckMandatoryItems(blockName, table, item, keys, out);
        if (relations.CheckParentChild(block, table, out) == 0) {
            result = 0;
        }
        if (_CheckTableValues(block, table, dict, out) == 0) {
            result = 0;
        }
    }
    return result;
}
