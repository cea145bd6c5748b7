#ifndef TESRA_CIF_CIFWRITER_H
#define TESRA_CIF_CIFWRITER_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

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
    // The form of a cell's text; refuses a value that no form can hold.
    Form _FormOf(const std::string& text, const ISTable& table, const std::string& column) const;
    Form _ClassifyOrRefuse(const std::string& text, const ISTable& table,
                           const std::string& column) const;

    // The pending text: a buffer of kChunk characters handed to the sink
    // whenever the next piece would not fit. _Room returns where n more
    // characters go; the caller writes them and calls _Advance.
    char* _Room(std::size_t n) {
        return _buffer.size() - _used >= n ? _buffer.data() + _used : _MakeRoom(n);
    }
    char* _MakeRoom(std::size_t n);
    void _Advance(char* end) { _used = static_cast<std::size_t>(end - _buffer.data()); }
    void _Put(const char* data, std::size_t size);
    void _Put(const std::string& text) { _Put(text.data(), text.size()); }
    void _Put(char c) {
        *_Room(1) = c;
        ++_used;
    }
    // The data name "_category.attribute".
    void _PutItem(const std::string& category, const std::string& attribute);
    void _PutTextField(const std::string& text);
    void _Flush();

    CifFile& _file;
    Sink _sink;
    std::size_t _maxLineLength;
    std::vector<char> _buffer;
    std::size_t _used = 0;
};

#endif  // TESRA_CIF_CIFWRITER_H
