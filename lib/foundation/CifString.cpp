#include "foundation/CifString.h"

#include "foundation/Exceptions.h"

const std::string CifString::UnknownValue = "?";
const std::string CifString::InapplicableValue = ".";

namespace {

void CheckParts(const std::string& category, const std::string& attribute) {
    if (category.empty()) {
        throw EmptyValueException("Empty category name", "CifString::MakeCifItem");
    }
    if (attribute.empty()) {
        throw EmptyValueException("Empty attribute name", "CifString::MakeCifItem");
    }
}

std::string JoinParts(const std::string& category, const std::string& attribute) {
    std::string item;
    item.reserve(category.size() + attribute.size() + 2);
    item += '_';
    item += category;
    item += '.';
    item += attribute;
    return item;
}

[[noreturn]] void ThrowInvalidItem(const std::string& cifItem, const char* location) {
    throw EmptyValueException("Invalid CIF item \"" + cifItem + "\"", location);
}

}  // namespace

void CifString::MakeCifItem(std::string& cifItem, const std::string& category,
                            const std::string& attribute) {
    CheckParts(category, attribute);
    cifItem = JoinParts(category, attribute);
}

void CifString::MakeCifItem(std::vector<std::string>& cifItems, const std::string& category,
                            const std::vector<std::string>& attributes) {
    cifItems.assign(attributes.size(), std::string());
    for (std::vector<std::string>::size_type i = 0; i < attributes.size(); ++i) {
        CheckParts(category, attributes[i]);
        cifItems[i] = JoinParts(category, attributes[i]);
    }
}

void CifString::GetItemFromCifItem(std::string& attribute, const std::string& cifItem) {
    static const char kLocation[] = "CifString::GetItemFromCifItem";
    if (cifItem.empty() || cifItem[0] != '_' || cifItem.size() < 4 || cifItem[1] == '.') {
        ThrowInvalidItem(cifItem, kLocation);
    }
    const std::string::size_type dot = cifItem.find('.');
    if (dot == std::string::npos || dot + 1 == cifItem.size()) {
        ThrowInvalidItem(cifItem, kLocation);
    }
    attribute.assign(cifItem, dot + 1, std::string::npos);
}

void CifString::GetCategoryFromCifItem(std::string& category, const std::string& cifItem) {
    static const char kLocation[] = "CifString::GetCategoryFromCifItem";
    if (cifItem.empty() || cifItem[0] != '_') {
        ThrowInvalidItem(cifItem, kLocation);
    }
    const std::string::size_type dot = cifItem.find('.', 1);
    if (dot == std::string::npos) {
        ThrowInvalidItem(cifItem, kLocation);
    }
    category.assign(cifItem, 1, dot - 1);
}

const std::string CifString::CategoryDatablock = "datablock";
const std::string CifString::CategoryDatablockMethods = "datablock_methods";
const std::string CifString::CategoryItem = "item";
const std::string CifString::CategoryItemLinked = "item_linked";
const std::string CifString::CategoryPdbxItemLinkedGroup = "pdbx_item_linked_group";
const std::string CifString::CategoryPdbxItemLinkedGroupList = "pdbx_item_linked_group_list";
const std::string CifString::CategoryCategory = "category";
const std::string CifString::CategoryCategoryExamples = "category_examples";
const std::string CifString::CategoryNdbCategoryExamples = "ndb_category_examples";
const std::string CifString::CategoryCategoryKey = "category_key";
const std::string CifString::CategoryCategoryGroup = "category_group";
const std::string CifString::CategoryCategoryGroupList = "category_group_list";
const std::string CifString::CategoryCategoryMethods = "category_methods";
const std::string CifString::CategorySubCategory = "sub_category";
const std::string CifString::CategorySubCategoryExamples = "sub_category_examples";
const std::string CifString::CategorySubCategoryMethods = "sub_category_methods";
const std::string CifString::CategoryItemSubCategory = "item_sub_category";
const std::string CifString::CategoryItemType = "item_type";
const std::string CifString::CategoryItemTypeConditions = "item_type_conditions";
const std::string CifString::CategoryItemMethods = "item_methods";
const std::string CifString::CategoryItemTypeList = "item_type_list";
const std::string CifString::CategoryItemStructure = "item_structure";
const std::string CifString::CategoryItemStructureList = "item_structure_list";
const std::string CifString::CategoryItemDescription = "item_description";
const std::string CifString::CategoryNdbItemDescription = "ndb_item_description";
const std::string CifString::CategoryNdbCategoryDescription = "ndb_category_description";
const std::string CifString::CategoryItemExamples = "item_examples";
const std::string CifString::CategoryNdbItemExamples = "ndb_item_examples";
const std::string CifString::CategoryItemDependent = "item_dependent";
const std::string CifString::CategoryItemRelated = "item_related";
const std::string CifString::CategoryItemRange = "item_range";
const std::string CifString::CategoryItemEnumeration = "item_enumeration";
const std::string CifString::CategoryNdbItemEnumeration = "ndb_item_enumeration";
const std::string CifString::CategoryItemDefault = "item_default";
const std::string CifString::CategoryItemAliases = "item_aliases";
const std::string CifString::CategoryDictionary = "dictionary";
const std::string CifString::CategoryDictionaryHistory = "dictionary_history";
const std::string CifString::CategoryItemUnits = "item_units";
const std::string CifString::CategoryItemUnitsList = "item_units_list";
const std::string CifString::CategoryItemUnitsConversion = "item_units_conversion";
const std::string CifString::CategoryMethodList = "method_list";

const std::string CifString::AttributeId = "id";
const std::string CifString::AttributeCategoryId = "category_id";
const std::string CifString::AttributeSubCategoryId = "sub_category_id";
const std::string CifString::AttributeMethodId = "method_id";
const std::string CifString::AttributeParentName = "parent_name";
const std::string CifString::AttributeChildName = "child_name";
const std::string CifString::AttributeChildCategoryId = "child_category_id";
const std::string CifString::AttributeParentCategoryId = "parent_category_id";
const std::string CifString::AttributeLinkGroupId = "link_group_id";
const std::string CifString::AttributeLabel = "label";
const std::string CifString::AttributeContext = "context";
const std::string CifString::AttributeConditionId = "condition_id";
const std::string CifString::AttributeAliasName = "alias_name";
const std::string CifString::AttributeDictionary = "dictionary";
const std::string CifString::AttributeTitle = "title";
const std::string CifString::AttributeVersion = "version";
const std::string CifString::AttributeName = "name";
const std::string CifString::AttributeCode = "code";
const std::string CifString::AttributePrimitiveCode = "primitive_code";
const std::string CifString::AttributeConstruct = "construct";
const std::string CifString::AttributeOrganization = "organization";
const std::string CifString::AttributeIndex = "index";
const std::string CifString::AttributeDimension = "dimension";
const std::string CifString::AttributeDatablockId = "datablock_id";
const std::string CifString::AttributeDescription = "description";
const std::string CifString::AttributeNdbDescription = "ndb_description";
const std::string CifString::AttributeCase = "case";
const std::string CifString::AttributeMandatoryCode = "mandatory_code";
const std::string CifString::AttributeDetail = "detail";
const std::string CifString::AttributeMaximum = "maximum";
const std::string CifString::AttributeMinimum = "minimum";
const std::string CifString::AttributeValue = "value";
const std::string CifString::AttributeDependentName = "dependent_name";
const std::string CifString::AttributeRelatedName = "related_name";
const std::string CifString::AttributeFunctionCode = "function_code";
const std::string CifString::AttributeFileOffset = "file_offset";
const std::string CifString::AttributeOperator = "operator";
const std::string CifString::AttributeFactor = "factor";
const std::string CifString::AttributeFromCode = "from_code";
const std::string CifString::AttributeToCode = "to_code";
const std::string CifString::AttributeUpdate = "update";
const std::string CifString::AttributeRevision = "revision";
const std::string CifString::AttributeItemInline = "item_inline";
const std::string CifString::AttributeItemLanguage = "item_language";
const std::string CifString::AttributeParentId = "parent_id";
