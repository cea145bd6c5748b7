#ifndef TESRA_CIF_CIFPARSER_H
#define TESRA_CIF_CIFPARSER_H

#include <string>

class CifFile;

// Reads CIF 1.1 text into a CifFile: one Block per data block, one ISTable per
// category (named after the category, compare type 0), a column per item and
// a row per loop packet or per group of name/value pairs. The tokens ? and .
// are stored as "?" and "."; cells that the text leaves unset hold "?".
//
// Save frames (DDL2 dictionaries) are merged into the enclosing block: each
// frame adds its rows to the block's tables, and the key items that DDL2
// leaves implicit in a frame (such as _item_type.name) are filled from the
// frame's name.
//
// Errors (syntax and structure, each with its line number) are returned as
// diagnostics text, one line each; warnings (a skipped global_ section, an
// empty category name) go to the log only. Past the first 1000 errors and the
// first 1000 warnings of a text, one closing line each gives the count of the
// rest. The log file is written only when there is something in it, never
// through a symbolic link; otherwise a stale log of that name is removed when
// it is a regular file. A log that cannot be written is a message on standard
// error, and the read goes on.
class CifParser {
public:
    // The parser adds blocks to cifFile, which it borrows.
    explicit CifParser(CifFile& cifFile);

    // Reads the named file. The log is "<base name of the file>-parser.log"
    // in the working directory unless logFileName names another; an empty
    // diagnostics text means the file was read without errors.
    // Throws NotFoundException "File \"<name>\" cannot be opened" at
    // "CifParser::Parse".
    void Parse(const std::string& fileName, std::string& diagnostics,
               const std::string& logFileName = std::string());

    // Reads CIF text held in memory. The log is "CifParser.log" unless
    // logFileName names another; an empty logFileName writes no log file.
    void ParseString(const std::string& text, std::string& diagnostics,
                     const std::string& logFileName = "CifParser.log");

    // The log text of the last parse (warnings and errors).
    const std::string& GetLog() const { return _log; }

private:
    // mapped: the text is a private file mapping that may be released as it is read.
    void _ParseBuffer(const char* begin, const char* end, std::string& diagnostics, bool mapped);
    void _WriteLog(const std::string& logFileName);

    CifFile& _cifFile;
    std::string _log;
};

#endif  // TESRA_CIF_CIFPARSER_H
