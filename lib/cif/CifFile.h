#ifndef TESRA_CIF_CIFFILE_H
#define TESRA_CIF_CIFFILE_H

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "cif/TableFile.h"

class CheckDictionary;
class ItemParents;
struct DerivedItemTypes;
struct ItemDefinition;

// The TableFile that is read from and written as CIF text. Reading is done by
// CifParser; writing by Write, through CifWriter.
class CifFile : public TableFile {
public:
    // An in-memory file whose writer keeps lines within maxLineLength
    // characters where a value fits and writes empty cells as nullValue.
    explicit CifFile(unsigned int maxLineLength = 80, const std::string& nullValue = "?",
                     CompareType compareType = CaseSensitive);
    ~CifFile() override;

    unsigned int GetMaxLineLength() const { return _maxLineLength; }
    const std::string& GetNullValue() const { return _nullValue; }

    // Marks (or unmarks) the tables of that name, in every block, for the loop
    // layout. A table of one row is otherwise written as name/value pairs.
    void SetLooping(const std::string& tableName, bool looping = true);
    // Marks (or unmarks) every table of every block, present and future.
    void SetLoopingAll(bool looping = true);
    bool IsLooping(const std::string& tableName) const;

    // Writes every block as CIF text. Throws FileException when the file
    // cannot be opened or written completely, and std::runtime_error (naming
    // the table and column) for a value that no CIF form can hold; after a
    // throw the file may be partly written and must not be used.
    void Write(const std::string& fileName);
    // The same to a stream; throws FileException when the stream fails.
    void Write(std::ostream& out);

    void SetEnumCaseSense(bool on) { _enumCaseSense = on; }
    bool GetEnumCaseSense() const { return _enumCaseSense; }

    // ---- Validation against a DDL2 dictionary (defined in lib/validate) ----
    // skipUntypedItems: items of a checked dictionary block without a type
    // code are not derived. usePdbxItemTables: an item's rows in the
    // dictionary's pdbx_item, pdbx_item_type, pdbx_item_range and
    // pdbx_item_enumeration take the place of its rows in the plain tables.
    // A block's status is 1 when its report is empty, else 0. The checks
    // leave flags on the dictionary's category_key.id, search indices on the
    // tables searched, and derived rows in a checked block's item_type.

    // Checks every block of this file against the first block of dictFile and
    // appends each non-empty block report, followed by an empty line, to the
    // log (after "WARNING - dictionary has <n> datablocks" when dictFile has
    // several). The findings are written as they are found. A log that stays
    // an empty regular file is deleted. Returns the status of the last block,
    // 0 without blocks. Throws FileException when the log cannot be opened or
    // a write or flush to it fails (after the block at hand); when a check
    // throws, the findings of the block at hand are already in the log and
    // the check's exception passes on.
    int DataChecking(TableFile& dictFile, const std::string& logFileName, bool skipUntypedItems,
                     bool usePdbxItemTables);
    // Checks one block against a dictionary block; the findings go to `out`.
    int BlockDataChecking(Block& block, Block& dictBlock, std::ostream& out, bool skipUntypedItems,
                          bool usePdbxItemTables);

private:
    unsigned int _maxLineLength;
    std::string _nullValue;
    std::set<std::string> _loopedTables;
    bool _loopAll = false;

    // Enumeration values compare with case when true; read by the validation.
    bool _enumCaseSense = false;

    // ---- Validation against a DDL2 dictionary --------------------------------
    // Defined in lib/validate, the layer above this one. Each check writes one
    // line per finding to the stream, ended by std::endl, and goes on; what
    // the table and string operations throw passes to the caller, with the
    // lines already written left in the stream. Lookups leave search indices
    // on the tables they search.

    // Untyped items of the checked block are skipped by the type derivation.
    bool _skipUntypedItems;
    // The dictionary's pdbx_ item tables are used in place of the plain ones.
    bool _usePdbxItemTables;

    // Lets the validation tests call the checks one by one.
    friend class CifFileChecks;

    // The checks of one block against a dictionary prepared for the run; the
    // block's status.
    int _CheckBlock(Block& block, CheckDictionary& dict, std::ostream& out);

    // Dictionary-level checks. 1 when every category that the dictionary's
    // category table marks "yes" is a table of the block, else 0;
    // NotFoundException when the dictionary has no category table.
    int _CheckMandatoryCategories(Block& block, Block& dict, std::ostream& out) const;
    // The block's own category_key names against its item table.
    void _CheckCategoryKeys(Block& block, std::ostream& out) const;
    // The block's own item names against their category_id and its category
    // table; NotFoundException when items exist but that table does not.
    void _CheckItemCategories(Block& block, std::ostream& out) const;
    // True when a row of the table has that id; a null table defines nothing.
    bool _IsCategoryDefined(const std::string& category, ISTable* categoryTable) const;

    // Every table of the block against the dictionary: undefined categories
    // and items, keys, mandatory items, parent rows, item values and rows of
    // null cells. 0 when a parent/child or item value check found something,
    // else 1. NotFoundException when the dictionary lacks category,
    // category_key or item.
    int _CheckCategories(Block& block, Block& dict, std::ostream& out);
    int _CheckCategories(Block& block, CheckDictionary& dict, std::ostream& out);
    // True when the item table has a row of the category with that item name.
    bool _IsItemDefined(const std::string& category, const std::string& attribute,
                        ISTable& item) const;

    // Type codes of a dictionary block checked as data: an untyped item takes
    // its parents' common code (appended to the block's item_type); conflicts
    // are reported. std::runtime_error when an item is its own parent or a
    // chain of parents leads back to an item being derived.
    void _CheckItemTypes(Block& block, std::ostream& out) const;
    // The item's code, own or derived, into result ("" when none). Parents are
    // derived depth first, without recursion; an item already in `derived` is
    // not derived or reported again.
    void _DeriveItemType(std::string& result, std::ostream& out, Block& block, ItemParents& parents,
                         const std::string& cifItemName, DerivedItemTypes& derived) const;

    // Key and mandatory-item checks of one data table. Keys are attribute
    // names ("id" of "_atom_site.id"); a name without "." gives "".
    void _GetKeyItems(std::vector<std::string>& keys, const std::string& category,
                      ISTable& categoryKey) const;
    void _CheckKeyItems(const std::string& blockName, ISTable& table,
                        const std::vector<std::string>& keys, std::ostream& out) const;
    void _CheckMandatoryItems(const std::string& blockName, ISTable& table, ISTable& item,
                              const std::vector<std::string>& keys, std::ostream& out) const;
    void _CheckNullKeys(const std::vector<std::string>& keys, ISTable& table,
                        std::ostream& out) const;

    // Item value checks of one column: type pattern, ranges, enumeration.
    // Null tables are read as empty; itemLinked is not read. 0 when a value
    // was reported, else 1.
    int _CheckItemValues(Block& block, ISTable& table, const std::string& colName,
                         ISTable* itemType, ISTable* itemTypeList, ISTable* itemRange,
                         ISTable* itemEnumeration, ISTable* itemLinked, ISTable* itemAliases,
                         std::ostream& out) const;
    // The same with what the dictionary says about the item gathered
    // beforehand.
    int _CheckValues(Block& block, ISTable& table, const std::string& colName,
                     const ItemDefinition& definition, std::ostream& out) const;
    // The item value checks of every column of a table, with what the
    // dictionary says about each item, and its rows of null cells: one walk
    // along the rows, then the lines column by column and the null rows
    // last. 0 when a value was reported, else 1.
    int _CheckTableValues(Block& block, ISTable& table, CheckDictionary& dict,
                          std::ostream& out) const;
    // The item's code in item_type, or "".
    void _GetItemTypeCode(std::string& code, const std::string& cifItemName,
                          ISTable& itemType) const;
    // A type construct as the pattern to compile: \\, \t and \n translated.
    void _ConvertEscapes(const std::string& construct, std::string& pattern) const;
    // Ranges: rows (minimums[i], maximums[i]) with exclusive bounds, a null
    // bound open, min == max admitting that value only. 1 when a row admits
    // the value; std::runtime_error when the value or a bound needed does
    // not convert.
    int _IsFloatInRange(const std::string& value, const std::vector<std::string>& minimums,
                        const std::vector<std::string>& maximums) const;
    int _IsIntInRange(const std::string& value, const std::vector<std::string>& minimums,
                      const std::vector<std::string>& maximums) const;
    // The range test of a type code: float and int only, 1 for any other
    // code and when a conversion fails.
    int _IsInRange(const std::string& value, const std::string& typeCode,
                   const std::vector<std::string>& minimums,
                   const std::vector<std::string>& maximums) const;
    // Enumerations: 1 when an entry equals the value. A number that does not
    // convert is outside the enumeration; an entry that does not convert
    // equals no number. "uchar" strings compare without ASCII case unless
    // _enumCaseSense is set.
    int _IsFloatInEnumeration(const std::string& value,
                              const std::vector<std::string>& enumValues) const;
    int _IsIntInEnumeration(const std::string& value,
                            const std::vector<std::string>& enumValues) const;
    int _IsStringInEnumeration(const std::string& value, const std::string& primitiveCode,
                               const std::vector<std::string>& enumValues) const;
    int _IsInEnumeration(const std::string& value, const std::string& typeCode,
                         const std::string& primitiveCode,
                         const std::vector<std::string>& enumValues) const;
};

#endif  // TESRA_CIF_CIFFILE_H
