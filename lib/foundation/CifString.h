#ifndef TESRA_FOUNDATION_CIFSTRING_H
#define TESRA_FOUNDATION_CIFSTRING_H

#include <string>
#include <vector>

// CIF item names ("_category.attribute"), the two CIF special values and the
// characters that make the writer quote a value. Static operations only.
// Name operations write their result into the first argument and leave it
// unchanged when they throw (except the list form of MakeCifItem, see there).
class CifString {
public:
    CifString() = delete;

    static const std::string UnknownValue;       // "?"
    static const std::string InapplicableValue;  // "."

    // "_" + category + "." + attribute. EmptyValueException "Empty category name"
    // or "Empty attribute name" (category tested first).
    static void MakeCifItem(std::string& cifItem, const std::string& category,
                            const std::string& attribute);
    // One item name per attribute. The result is first sized to the attribute
    // list with empty strings; on a failure at position i it keeps the names built
    // before i. An empty attribute list succeeds without testing the category.
    static void MakeCifItem(std::vector<std::string>& cifItems, const std::string& category,
                            const std::vector<std::string>& attributes);

    // Attribute part: everything after the first ".". Refuses names that are empty,
    // lack the leading "_", are shorter than 4, have "." second, have no "." or end
    // in their first ".".
    static void GetItemFromCifItem(std::string& attribute, const std::string& cifItem);
    // Category part: between the "_" and the first "."; may be empty ("_.b").
    static void GetCategoryFromCifItem(std::string& category, const std::string& cifItem);

    static bool IsEmptyValue(const std::string& value) {
        // Literals rather than the constants: safe during static initialisation.
        return value.empty() || (value.size() == 1 && (value[0] == '.' || value[0] == '?'));
    }
    static bool IsUnknownValue(const std::string& value) {
        return value.empty() || (value.size() == 1 && value[0] == '?');
    }

    // ( ) [ ] { }
    static bool IsBracketChar(char c) {
        return c == '(' || c == ')' || c == '[' || c == ']' || c == '{' || c == '}';
    }
    // # $ ( ) ; [ ] _ { }
    static bool IsSpecialFirstChar(char c) {
        return c == '#' || c == '$' || c == ';' || c == '_' || IsBracketChar(c);
    }

    // DDL2 category names.
    static const std::string CategoryDatablock;
    static const std::string CategoryDatablockMethods;
    static const std::string CategoryItem;
    static const std::string CategoryItemLinked;
    static const std::string CategoryPdbxItemLinkedGroup;
    static const std::string CategoryPdbxItemLinkedGroupList;
    static const std::string CategoryCategory;
    static const std::string CategoryCategoryExamples;
    static const std::string CategoryNdbCategoryExamples;
    static const std::string CategoryCategoryKey;
    static const std::string CategoryCategoryGroup;
    static const std::string CategoryCategoryGroupList;
    static const std::string CategoryCategoryMethods;
    static const std::string CategorySubCategory;
    static const std::string CategorySubCategoryExamples;
    static const std::string CategorySubCategoryMethods;
    static const std::string CategoryItemSubCategory;
    static const std::string CategoryItemType;
    static const std::string CategoryItemTypeConditions;
    static const std::string CategoryItemMethods;
    static const std::string CategoryItemTypeList;
    static const std::string CategoryItemStructure;
    static const std::string CategoryItemStructureList;
    static const std::string CategoryItemDescription;
    static const std::string CategoryNdbItemDescription;
    static const std::string CategoryNdbCategoryDescription;
    static const std::string CategoryItemExamples;
    static const std::string CategoryNdbItemExamples;
    static const std::string CategoryItemDependent;
    static const std::string CategoryItemRelated;
    static const std::string CategoryItemRange;
    static const std::string CategoryItemEnumeration;
    static const std::string CategoryNdbItemEnumeration;
    static const std::string CategoryItemDefault;
    static const std::string CategoryItemAliases;
    static const std::string CategoryDictionary;
    static const std::string CategoryDictionaryHistory;
    static const std::string CategoryItemUnits;
    static const std::string CategoryItemUnitsList;
    static const std::string CategoryItemUnitsConversion;
    static const std::string CategoryMethodList;

    // DDL2 attribute names.
    static const std::string AttributeId;
    static const std::string AttributeCategoryId;
    static const std::string AttributeSubCategoryId;
    static const std::string AttributeMethodId;
    static const std::string AttributeParentName;
    static const std::string AttributeChildName;
    static const std::string AttributeChildCategoryId;
    static const std::string AttributeParentCategoryId;
    static const std::string AttributeLinkGroupId;
    static const std::string AttributeLabel;
    static const std::string AttributeContext;
    static const std::string AttributeConditionId;
    static const std::string AttributeAliasName;
    static const std::string AttributeDictionary;
    static const std::string AttributeTitle;
    static const std::string AttributeVersion;
    static const std::string AttributeName;
    static const std::string AttributeCode;
    static const std::string AttributePrimitiveCode;
    static const std::string AttributeConstruct;
    static const std::string AttributeOrganization;
    static const std::string AttributeIndex;
    static const std::string AttributeDimension;
    static const std::string AttributeDatablockId;
    static const std::string AttributeDescription;
    static const std::string AttributeNdbDescription;
    static const std::string AttributeCase;
    static const std::string AttributeMandatoryCode;
    static const std::string AttributeDetail;
    static const std::string AttributeMaximum;
    static const std::string AttributeMinimum;
    static const std::string AttributeValue;
    static const std::string AttributeDependentName;
    static const std::string AttributeRelatedName;
    static const std::string AttributeFunctionCode;
    static const std::string AttributeFileOffset;
    static const std::string AttributeOperator;
    static const std::string AttributeFactor;
    static const std::string AttributeFromCode;
    static const std::string AttributeToCode;
    static const std::string AttributeUpdate;
    static const std::string AttributeRevision;
    static const std::string AttributeItemInline;
    static const std::string AttributeItemLanguage;
    static const std::string AttributeParentId;
};

#endif  // TESRA_FOUNDATION_CIFSTRING_H
