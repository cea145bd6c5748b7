// CifFile: the type codes of a dictionary block checked as data, derived
// from parent items where an item has none of its own.

#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "cif/CifFile.h"
#include "foundation/CifString.h"
#include "validate/CifParentChild.h"
#include "validate/ItemParents.h"

namespace {

typedef std::vector<std::string> Names;

const std::vector<std::string> kNoParents;

}  // namespace

const std::vector<std::string>& ItemParents::Of(const std::string& cifItemName) {
    std::string category;
    CifString::GetCategoryFromCifItem(category, cifItemName);
    auto found = _byCategory.find(category);
    if (found == _byCategory.end()) {
        ParentChild::NameLists parKeyLists, childKeyLists;
        _relations.GetCategoryRelations(parKeyLists, childKeyLists, category);
        ParentsByItem& parents = _byCategory[category];
        for (std::size_t i = 0; i < childKeyLists.size(); ++i) {
            for (std::size_t k = 0; k < childKeyLists[i].size(); ++k) {
                parents[childKeyLists[i][k]].push_back(parKeyLists[i][k]);
            }
        }
        found = _byCategory.find(category);
    }
    const auto item = found->second.find(cifItemName);
    return item == found->second.end() ? kNoParents : item->second;
}

void CifFile::_CheckItemTypes(Block& block, std::ostream& out) const {
    if (block.GetTablePtr(CifString::CategoryItemType) == nullptr) {
        return;
    }
    ISTable* item = block.GetTablePtr(CifString::CategoryItem);
    if (item == nullptr) {
        return;
    }
    ISTable* category = block.GetTablePtr(CifString::CategoryCategory);
    if (category == nullptr) {
        out << "CRITICAL: CANNOT FIND DDL CATEGORY: " << CifString::CategoryCategory << std::endl;
        return;
    }
    Names ids;
    category->GetColumn(ids, CifString::AttributeId);
    const CifParentChild relations(block);
    ItemParents parents(relations);
    if (ids.empty()) {
        return;
    }
    // The items of each category, in item row order.
    Names names;
    item->GetColumn(names, CifString::AttributeName);
    std::map<std::string, Names> itemsByCategory;
    std::string itemCategory;
    for (const std::string& name : names) {
        CifString::GetCategoryFromCifItem(itemCategory, name);
        itemsByCategory[itemCategory].push_back(name);
    }
    std::string code;
    Names chain;
    for (const std::string& id : ids) {
        const auto items = itemsByCategory.find(id);
        if (items == itemsByCategory.end()) {
            continue;
        }
        for (const std::string& name : items->second) {
            chain.clear();
            _DeriveItemType(code, out, block, parents, name, chain);
        }
    }
}

void CifFile::_DeriveItemType(std::string& result, std::ostream& out, Block& block,
                              ItemParents& parents, const std::string& cifItemName,
                              std::vector<std::string>& chain) const {
    result.clear();
    ISTable& itemType = *block.GetTablePtr(CifString::CategoryItemType);
    std::string ownCode;
    const unsigned int row =
        itemType.FindFirst(Names{cifItemName}, Names{CifString::AttributeName}, std::string());
    if (row < itemType.GetNumRows()) {
        ownCode = itemType(row, CifString::AttributeCode);
    }
    if (ownCode.empty() && _skipUntypedItems) {
        return;
    }

    // Depth first: each parent is derived before the next one is looked at.
    const Names& parentNames = parents.Of(cifItemName);
    std::vector<std::pair<std::string, std::string> > parentCodes;
    chain.push_back(cifItemName);
    for (const std::string& parent : parentNames) {
        if (parent == cifItemName) {
            throw std::runtime_error("ERROR - Parent and child key have the same value \"" +
                                     cifItemName + "\"");
        }
        for (std::size_t i = 0; i < chain.size(); ++i) {
            if (chain[i] != parent) {
                continue;
            }
            std::string cycle;
            for (std::size_t j = i; j < chain.size(); ++j) {
                cycle += "\"" + chain[j] + "\" -> ";
            }
            throw std::runtime_error("ERROR - Parent and child keys form a cycle " + cycle + "\"" +
                                     parent + "\"");
        }
        std::string code;
        _DeriveItemType(code, out, block, parents, parent, chain);
        parentCodes.emplace_back(parent, code);
    }
    chain.pop_back();

    const std::string& blockName = block.GetName();
    std::set<std::string> codes;
    for (const auto& parent : parentCodes) {
        codes.insert(parent.second);
    }
    if (codes.empty()) {
        if (ownCode.empty()) {
            out << "ERROR - In block \"" << blockName << "\", item \"" << cifItemName
                << "\" does not have item type code defined and has no parents." << std::endl;
        }
        result = ownCode;
    } else if (codes.size() == 1) {
        const std::string& derived = parentCodes.front().second;
        if (!ownCode.empty()) {
            if (ownCode != derived) {
                out << "ERROR - In block \"" << blockName << "\", child item \"" << cifItemName
                    << "\" has item type code \"" << ownCode
                    << "\", while its parent(s) have item type code \"" << derived << "\""
                    << std::endl;
            }
            result = ownCode;
        } else if (!derived.empty()) {
            // An empty code would be no code: the item is left untyped.
            const unsigned int added = itemType.AddRow(Names()) - 1;
            itemType.UpdateCell(added, CifString::AttributeName, cifItemName);
            itemType.UpdateCell(added, CifString::AttributeCode, derived);
            result = derived;
        }
    } else {
        out << "ERROR - Item \"" << cifItemName
            << "\" has parents with different types:" << std::endl;
        for (const auto& parent : parentCodes) {
            out << "  Parent item \"" << parent.first << "\" has item type code \"" << parent.second
                << "\"" << std::endl;
        }
        if (ownCode.empty()) {
            out << "ERROR - In block \"" << blockName << "\", item \"" << cifItemName
                << "\" does not have item type code defined and its item type code  cannot be "
                   "deducted from its parents."
                << std::endl;
        }
        result = ownCode;
    }
}
