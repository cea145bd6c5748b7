#ifndef TESRA_CIF_CIFWRITER_H
#define TESRA_CIF_CIFWRITER_H

#include <cstddef>
#include <functional>
#include <string>

class Block;
class CifFile;
class ISTable;

// Writes the blocks of a CifFile as CIF 1.1 text, in insertion order, each
// table in block order: in the loop layout when the file marks it looping or
// it has more than one row, else as aligned name/value pairs. Tables without
// rows are left out (an empty loop is not valid CIF). Lines stay within the
// file's line length wherever a value fits.
//
// Values are written so that reading the text back gives them again: bare
// when they can be, else in '...' or "...", else as a text field. A value
// that no form can hold (a line of it that would start with ';', or a
// carriage return) is refused with std::runtime_error naming the table and
// column. Empty cells are written as the file's null value.
class CifWriter {
public:
    // Receives the text in chunks; throws to stop the writing.
    using Sink = std::function<void(const char* data, std::size_t size)>;

    // Borrows the file and the sink for the writer's lifetime.
    CifWriter(CifFile& file, Sink sink);

    void Write();

    // How one value is written on its own.
    enum class Form : unsigned char { Bare, SingleQuoted, DoubleQuoted, TextField, Unwritable };
    // The form of a value for lines of at most maxLineLength characters.
    static Form Classify(const std::string& value, std::size_t maxLineLength);

private:
    void _WriteBlock(Block& block);
    void _WriteTable(ISTable& table, bool looping);
    void _WritePairs(ISTable& table);
    void _WriteLoop(ISTable& table);
    const std::string& _CellText(const std::string& cell) const;
    Form _FormOf(const std::string& text, const ISTable& table, const std::string& column) const;
    void _AppendValue(const std::string& text, Form form);
    void _AppendTextField(const std::string& text);
    void _FlushIfFull();

    CifFile& _file;
    Sink _sink;
    std::size_t _maxLineLength;
    std::string _out;  // pending text, handed to the sink in large chunks
};

#endif  // TESRA_CIF_CIFWRITER_H
