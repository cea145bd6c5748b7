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

typedef std::vector<std::pair<std::string, std::string> > ParentCodes;

// An item on the path of parents being derived.
struct Frame {
    std::pair<const std::string, DerivedItemTypes::Entry>* entry;
    std::string ownCode;
    const Names* parentNames;
    std::size_t next;         // the parent to look at next
    ParentCodes parentCodes;  // (parent, its code) for those looked at
};

// The cycle closed by meeting an item on the path again: the path from that
// item down to the item whose parent it is.
std::runtime_error Cycle(const std::vector<Frame>& path, const std::string& item) {
    std::size_t i = 0;
    while (path[i].entry->first != item) {
        ++i;
    }
    std::string cycle;
    for (; i < path.size(); ++i) {
        cycle += "\"" + path[i].entry->first + "\" -> ";
    }
    return std::runtime_error("ERROR - Parent and child keys form a cycle " + cycle + "\"" + item +
                              "\"");
}

// The item's code into result once its parents are settled: its own code, or
// the parents' common code, which is appended to item_type. Conflicts are
// reported.
void Settle(std::string& result, std::ostream& out, const std::string& blockName, ISTable& itemType,
            const Frame& item) {
    result.clear();
    const std::string& cifItemName = item.entry->first;
    const std::string& ownCode = item.ownCode;
    const ParentCodes& parentCodes = item.parentCodes;
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
    DerivedItemTypes derived;
    for (const std::string& id : ids) {
        const auto items = itemsByCategory.find(id);
        if (items == itemsByCategory.end()) {
            continue;
        }
        for (const std::string& name : items->second) {
            _DeriveItemType(code, out, block, parents, name, derived);
        }
    }
}

void CifFile::_DeriveItemType(std::string& result, std::ostream& out, Block& block,
                              ItemParents& parents, const std::string& cifItemName,
                              DerivedItemTypes& derived) const {
    result.clear();
    ISTable& itemType = *block.GetTablePtr(CifString::CategoryItemType);
    std::vector<Frame> path;
    // The code of an item already settled (or skipped untyped), or null once
    // the item's derivation has been put on the path.
    const auto visit = [&](const std::string& name) -> const std::string* {
        const auto found = derived.byItem.find(name);
        if (found != derived.byItem.end()) {
            if (found->second.onPath) {
                throw Cycle(path, name);
            }
            return &found->second.code;
        }
        std::string ownCode;
        const unsigned int row =
            itemType.FindFirst(Names{name}, Names{CifString::AttributeName}, std::string());
        if (row < itemType.GetNumRows()) {
            ownCode = itemType(row, CifString::AttributeCode);
        }
        auto& entry = *derived.byItem.emplace(name, DerivedItemTypes::Entry{false, ""}).first;
        if (ownCode.empty() && _skipUntypedItems) {
            return &entry.second.code;
        }
        entry.second.onPath = true;
        path.push_back(Frame{&entry, std::move(ownCode), &parents.Of(name), 0, ParentCodes()});
        return nullptr;
    };

    if (const std::string* code = visit(cifItemName)) {
        result = *code;
        return;
    }
    // Depth first: each parent is settled before the next one is looked at.
    while (true) {
        Frame& item = path.back();
        if (item.next < item.parentNames->size()) {
            const std::string& parent = (*item.parentNames)[item.next++];
            if (parent == item.entry->first) {
                throw std::runtime_error("ERROR - Parent and child key have the same value \"" +
                                         parent + "\"");
            }
            if (const std::string* code = visit(parent)) {
                path.back().parentCodes.emplace_back(parent, *code);
            }
            continue;
        }
        DerivedItemTypes::Entry& settled = item.entry->second;
        Settle(settled.code, out, block.GetName(), itemType, item);
        settled.onPath = false;
        const std::string& name = item.entry->first;
        path.pop_back();
        if (path.empty()) {
            result = settled.code;
            return;
        }
        path.back().parentCodes.emplace_back(name, settled.code);
    }
}
