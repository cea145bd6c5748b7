#ifndef TESRA_CIF_CIFFILE_H
#define TESRA_CIF_CIFFILE_H

#include <ostream>
#include <set>
#include <string>

#include "cif/TableFile.h"

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

private:
    unsigned int _maxLineLength;
    std::string _nullValue;
    std::set<std::string> _loopedTables;
    bool _loopAll = false;

    // Enumeration values compare with case when true; read by the validation.
    bool _enumCaseSense = false;
};

#endif  // TESRA_CIF_CIFFILE_H
