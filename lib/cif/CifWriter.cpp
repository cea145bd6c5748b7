#include "cif/CifWriter.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "cif/Block.h"
#include "cif/CifFile.h"
#include "cif/ReservedWords.h"
#include "foundation/CifString.h"
#include "table/ISTable.h"

namespace {

constexpr std::size_t kChunk = 1 << 20;

// A bare value that starts with a reserved word would read as that word.
bool StartsWithAnyReservedWord(const std::string& text) {
    switch (CifLower(text[0])) {
        case 'd':
            return StartsWithReservedWord(text, "data_");
        case 'l':
            return StartsWithReservedWord(text, "loop_");
        case 's':
            return StartsWithReservedWord(text, "save_") || StartsWithReservedWord(text, "stop_");
        case 'g':
            return StartsWithReservedWord(text, "global_");
        default:
            return false;
    }
}

// A text field cannot hold a line that starts with ';' (it would close it).
bool FitsTextField(const std::string& text) {
    return (text.empty() || text[0] != ';') && text.find("\n;") == std::string::npos;
}

// The length of the data name "_category.attribute".
std::size_t ItemSize(const std::string& category, const std::string& attribute) {
    return category.size() + attribute.size() + 2;
}

std::size_t WidthOf(const std::string& text, CifWriter::Form form) {
    return form == CifWriter::Form::Bare ? text.size() : text.size() + 2;
}

// Whitespace, or any other character below 0x20.
bool HasSpaceOrControl(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) <= ' ') {
            return true;
        }
    }
    return false;
}

// Names become data names or block headers as they are; one with whitespace,
// or a category with a full stop, would read back as something else, and a
// control character is refused by readers.
void CheckName(const std::string& name, const char* what, bool allowDot) {
    if (name.empty() || HasSpaceOrControl(name) ||
        (!allowDot && name.find('.') != std::string::npos)) {
        throw std::runtime_error(std::string(what) + " \"" + name +
                                 "\" cannot be written as CIF in CifWriter::Write");
    }
}

}  // namespace

namespace {

// Characters that matter to the quoting decision, by byte value.
// kControl: a C0 control character that a reader takes only inside a text field.
enum : unsigned char {
    kPlain = 0,
    kSpace = 1,
    kBreak = 2,
    kCarriageReturn = 4,
    kBracket = 8,
    kControl = 16
};

struct QuoteTable {
    unsigned char flags[256];
    constexpr QuoteTable() : flags() {
        for (int c = 0; c < 256; ++c) {
            flags[c] = c < 0x20 ? kControl : kPlain;
        }
        flags[static_cast<unsigned char>(' ')] = kSpace;
        flags[static_cast<unsigned char>('\t')] = kSpace;
        flags[static_cast<unsigned char>('\v')] = kSpace | kControl;
        flags[static_cast<unsigned char>('\f')] = kSpace | kControl;
        flags[static_cast<unsigned char>('\n')] = kSpace | kBreak;
        flags[static_cast<unsigned char>('\r')] = kSpace | kCarriageReturn;
        for (const char c : {'(', ')', '[', ']', '{', '}'}) {
            flags[static_cast<unsigned char>(c)] = kBracket;
        }
    }
};

constexpr QuoteTable kQuoteTable;

// What the first character of a value tells, by byte value: nothing (0), the
// value needs the full decision (1), or it may start a reserved word (2).
struct FirstCharTable {
    unsigned char what[256];
    constexpr FirstCharTable() : what() {
        for (int c = 0; c < 256; ++c) {
            what[c] = kQuoteTable.flags[c] == kPlain ? 0 : 1;
        }
        for (const char c : {'#', '$', ';', '_', '\'', '"'}) {
            what[static_cast<unsigned char>(c)] = 1;
        }
        for (const char c : {'d', 'D', 'l', 'L', 's', 'S', 'g', 'G'}) {
            what[static_cast<unsigned char>(c)] = 2;
        }
    }
};

constexpr FirstCharTable kFirstChar;

// True for the common value that is written bare without further thought: no
// character that needs quoting, no special first character, no reserved
// word, and short enough for a line. Everything else goes to Classify.
inline bool IsPlainBare(const std::string& value, std::size_t maxLineLength) {
    const std::size_t size = value.size();
    if (size == 0 || size > maxLineLength) {
        return false;
    }
    const unsigned char* const text = reinterpret_cast<const unsigned char*>(value.data());
    for (std::size_t i = 1; i < size; ++i) {
        if (kQuoteTable.flags[text[i]] != kPlain) {
            return false;
        }
    }
    const unsigned char first = kFirstChar.what[text[0]];
    return first == 0 || (first == 2 && !StartsWithAnyReservedWord(value));
}

// True when the quote character is followed by whitespace somewhere in the
// text: that quote would end a value quoted with it.
inline bool QuoteBeforeSpace(const char* text, std::size_t size, char quote) {
    const char* const end = text + size;
    for (const char* p = text;; ++p) {
        p = static_cast<const char*>(std::memchr(p, quote, static_cast<std::size_t>(end - p)));
        if (p == nullptr || p + 1 == end) {
            return false;
        }
        if ((kQuoteTable.flags[static_cast<unsigned char>(p[1])] & kSpace) != 0) {
            return true;
        }
    }
}

// Room the aligned loop rows ask for beyond their text, so that short values
// and padding can be stored in fixed 16- and 32-byte moves.
constexpr std::size_t kSlack = 32;

// Copies a bare value of at most 16 bytes with one fixed-size move. A
// std::string's storage always spans at least 16 readable bytes (the inline
// buffer, or a heap block of more than 15), so the over-read stays inside it;
// the bytes past the value are overwritten by what follows.
inline char* EmitShortBare(char* p, const std::string& text) {
    std::memcpy(p, text.data(), 16);
    return p + text.size();
}

// Writes n blanks; up to kSlack of them in two fixed moves.
inline char* Blanks(char* p, std::size_t n) {
    static const char kBlanks[kSlack + 1] = "                                ";
    if (n <= kSlack) {
        std::memcpy(p, kBlanks, kSlack);
    } else {
        std::memset(p, ' ', n);
    }
    return p + n;
}

// Copies a value in its form (not a text field) to p; returns the end.
inline char* Emit(char* p, const std::string& text, CifWriter::Form form) {
    const std::size_t size = text.size();
    switch (form) {
        case CifWriter::Form::Bare:
            std::memcpy(p, text.data(), size);
            return p + size;
        case CifWriter::Form::SingleQuoted:
            *p = '\'';
            std::memcpy(p + 1, text.data(), size);
            p[size + 1] = '\'';
            return p + size + 2;
        case CifWriter::Form::DoubleQuoted:
            *p = '"';
            std::memcpy(p + 1, text.data(), size);
            p[size + 1] = '"';
            return p + size + 2;
        default:
            return p;
    }
}

}  // namespace

CifWriter::Form CifWriter::Classify(const std::string& value, std::size_t maxLineLength) {
    if (value.empty()) {
        return Form::SingleQuoted;
    }
    // First only the union of the character classes: a branch-free pass,
    // which matters for the long texts of dictionaries. Where quotes sit
    // matters only to a value that is quoted, and is looked up then.
    const char* const text = value.data();
    const std::size_t size = value.size();
    const unsigned char* const bytes = reinterpret_cast<const unsigned char*>(text);
    // A bracket counts after the first character only; the first is tested
    // as a special first character below.
    const unsigned char firstFlags = kQuoteTable.flags[bytes[0]];
    unsigned char seen = firstFlags == kBracket ? 0 : firstFlags;
    // Four characters a step, into separate unions that do not wait on
    // each other (a third fewer instructions here on the PDBx dictionary).
    unsigned char seen1 = 0;
    unsigned char seen2 = 0;
    unsigned char seen3 = 0;
    std::size_t i = 1;
    for (; i + 4 <= size; i += 4) {
        seen |= kQuoteTable.flags[bytes[i]];
        seen1 |= kQuoteTable.flags[bytes[i + 1]];
        seen2 |= kQuoteTable.flags[bytes[i + 2]];
        seen3 |= kQuoteTable.flags[bytes[i + 3]];
    }
    for (; i < size; ++i) {
        seen |= kQuoteTable.flags[bytes[i]];
    }
    seen |= seen1 | seen2 | seen3;
    if ((seen & kCarriageReturn) != 0) {
        // A reader takes CR for a line end and would give back a different value.
        return Form::Unwritable;
    }
    if ((seen & (kBreak | kControl)) != 0) {
        return FitsTextField(value) ? Form::TextField : Form::Unwritable;
    }
    const bool needsQuotes = seen != 0 || CifString::IsSpecialFirstChar(text[0]) ||
                             text[0] == '\'' || text[0] == '"' || StartsWithAnyReservedWord(value);
    Form form = Form::Bare;
    if (needsQuotes) {
        if (!QuoteBeforeSpace(text, size, '\'')) {
            form = Form::SingleQuoted;
        } else if (!QuoteBeforeSpace(text, size, '"')) {
            form = Form::DoubleQuoted;
        } else {
            return FitsTextField(value) ? Form::TextField : Form::Unwritable;
        }
    }
    if (WidthOf(value, form) > maxLineLength && FitsTextField(value)) {
        return Form::TextField;
    }
    return form;
}

CifWriter::CifWriter(CifFile& file, Sink sink)
    : _file(file), _sink(std::move(sink)), _maxLineLength(file.GetMaxLineLength()) {}

void CifWriter::Write() {
    _buffer.resize(kChunk);
    _used = 0;
    std::vector<std::string> blockNames;
    _file.GetBlockNames(blockNames);
    for (const std::string& blockName : blockNames) {
        _WriteBlock(_file.GetBlock(blockName));
    }
    _Flush();
}

void CifWriter::_Flush() {
    if (_used > 0) {
        const std::size_t size = _used;
        _used = 0;
        _sink(_buffer.data(), size);
    }
}

char* CifWriter::_MakeRoom(std::size_t n) {
    _Flush();
    if (_buffer.size() < n) {
        _buffer.resize(n);  // one piece larger than a chunk (a huge text field)
    }
    return _buffer.data();
}

void CifWriter::_Put(const char* data, std::size_t size) {
    char* p = _Room(size);
    std::memcpy(p, data, size);
    _used += size;
}

void CifWriter::_WriteBlock(Block& block) {
    CheckName(block.GetName(), "Block name", true);
    _Put("data_", 5);
    _Put(block.GetName());
    _Put('\n');
    for (unsigned int slot = 0; slot < block.GetNumTables(); ++slot) {
        ISTable* table = block.GetTableAt(slot);
        if (table == nullptr || table->GetNumRows() == 0 || table->GetColumnNames().empty()) {
            continue;
        }
        _WriteTable(*table, table->GetNumRows() > 1 || _file.IsLooping(table->GetName()));
    }
}

void CifWriter::_WriteTable(ISTable& table, bool looping) {
    CheckName(table.GetName(), "Table name", false);
    for (const std::string& column : table.GetColumnNames()) {
        CheckName(column, "Column name", true);
    }
    if (looping) {
        _WriteLoop(table);
    } else {
        _WritePairs(table);
    }
}

const std::string& CifWriter::_CellText(const std::string& cell) const {
    return cell.empty() ? _file.GetNullValue() : cell;
}

inline CifWriter::Form CifWriter::_FormOf(const std::string& text, const ISTable& table,
                                          const std::string& column) const {
    return IsPlainBare(text, _maxLineLength) ? Form::Bare : _ClassifyOrRefuse(text, table, column);
}

CifWriter::Form CifWriter::_ClassifyOrRefuse(const std::string& text, const ISTable& table,
                                             const std::string& column) const {
    const Form form = Classify(text, _maxLineLength);
    if (form == Form::Unwritable) {
        throw std::runtime_error("Value in table \"" + table.GetName() + "\" column \"" + column +
                                 "\" cannot be written as CIF in CifWriter::Write");
    }
    return form;
}

void CifWriter::_PutItem(const std::string& category, const std::string& attribute) {
    // Written in place: the names were checked, and a string per item would
    // cost an allocation for each column of each table.
    char* p = _Room(ItemSize(category, attribute));
    *p++ = '_';
    std::memcpy(p, category.data(), category.size());
    p += category.size();
    *p++ = '.';
    std::memcpy(p, attribute.data(), attribute.size());
    _Advance(p + attribute.size());
}

void CifWriter::_PutTextField(const std::string& text) {
    // Starts on a line of its own; the reader drops the two line breaks
    // that frame the value.
    char* p = _Room(text.size() + 5);
    *p++ = ';';
    *p++ = '\n';
    std::memcpy(p, text.data(), text.size());
    p += text.size();
    *p++ = '\n';
    *p++ = ';';
    *p++ = '\n';
    _Advance(p);
}

void CifWriter::_WritePairs(ISTable& table) {
    const std::vector<std::string>& columns = table.GetColumnNames();
    const std::string& category = table.GetName();
    std::size_t nameWidth = 0;
    for (const std::string& column : columns) {
        nameWidth = std::max(nameWidth, ItemSize(category, column));
    }
    const std::vector<std::string>& row = table.GetRow(0);
    const std::string empty;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::string& text = _CellText(c < row.size() ? row[c] : empty);
        const Form form = _FormOf(text, table, columns[c]);
        _PutItem(category, columns[c]);
        if (form == Form::TextField) {
            _Put('\n');
            _PutTextField(text);
            continue;
        }
        const std::size_t width = WidthOf(text, form);
        const std::size_t pad = nameWidth + 1 - ItemSize(category, columns[c]);
        char* p = _Room(pad + width + 1);
        if (nameWidth + 1 + width <= _maxLineLength) {
            std::memset(p, ' ', pad);
            p += pad;
        } else if (width <= _maxLineLength) {
            *p++ = '\n';
        } else {
            *p++ = ' ';
        }
        p = Emit(p, text, form);
        *p++ = '\n';
        _Advance(p);
    }
}

void CifWriter::_WriteLoop(ISTable& table) {
    const std::vector<std::string>& columns = table.GetColumnNames();
    const std::size_t numColumns = columns.size();
    _Put("loop_\n", 6);
    for (const std::string& column : columns) {
        _PutItem(table.GetName(), column);
        _Put('\n');
    }

    // One pass gathers the column widths, to align the rows when an aligned
    // row fits, and which columns hold only values written bare as they are
    // (no null value, no quotes): the writing pass copies those without a
    // second look. The forms of other cells are kept for it, in a list made
    // at the first such cell (most large tables never need it).
    std::vector<const std::string*> rows;
    rows.reserve(table.GetNumRows());
    for (unsigned int s = 0; s < table.GetNumSegments(); ++s) {
        for (const std::vector<std::string>& row : table.GetSegment(s).GetRows()) {
            if (row.size() != numColumns) {
                throw std::logic_error("Row without a cell per column in CifWriter::Write");
            }
            rows.push_back(row.data());
        }
    }
    std::vector<std::size_t> widths(numColumns, 0);
    std::vector<char> plainColumn(numColumns, 1);
    std::vector<Form> forms;
    std::size_t cellNumber = 0;
    for (const std::string* const row : rows) {
        for (std::size_t c = 0; c < numColumns; ++c, ++cellNumber) {
            const std::string& cell = row[c];
            if (IsPlainBare(cell, _maxLineLength)) {
                widths[c] = std::max(widths[c], cell.size());
                continue;
            }
            plainColumn[c] = 0;
            const std::string& text = _CellText(cell);
            const Form form = cell.empty() ? _FormOf(text, table, columns[c])
                                           : _ClassifyOrRefuse(text, table, columns[c]);
            if (forms.empty()) {
                forms.assign(rows.size() * numColumns, Form::Bare);
            }
            forms[cellNumber] = form;
            if (form != Form::TextField) {
                widths[c] = std::max(widths[c], WidthOf(text, form));
            }
        }
    }
    std::size_t rowWidth = numColumns - 1;
    for (const std::size_t w : widths) {
        rowWidth += w;
    }
    const bool aligned = rowWidth <= _maxLineLength;
    bool allPlain = true;
    for (const char plain : plainColumn) {
        allPlain = allPlain && plain != 0;
    }

    cellNumber = 0;
    for (const std::string* const row : rows) {
        if (aligned && allPlain) {
            // The common row: bare values in columns of known width, room
            // for the whole line taken at once.
            char* p = _Room(rowWidth + 1 + kSlack);
            for (std::size_t c = 0; c < numColumns; ++c) {
                const std::string& text = row[c];
                const std::size_t width = text.size();
                p = width <= 16 ? EmitShortBare(p, text) : Emit(p, text, Form::Bare);
                if (c + 1 < numColumns) {
                    p = Blanks(p, widths[c] - width + 1);
                }
            }
            *p++ = '\n';
            _Advance(p);
            cellNumber += numColumns;
            continue;
        }
        std::size_t lineLength = 0;
        for (std::size_t c = 0; c < numColumns; ++c, ++cellNumber) {
            const std::string& text = plainColumn[c] ? row[c] : _CellText(row[c]);
            const Form form = plainColumn[c] ? Form::Bare : forms[cellNumber];
            if (form == Form::TextField) {
                if (lineLength > 0) {
                    _Put('\n');
                }
                _PutTextField(text);
                lineLength = 0;
                continue;
            }
            const std::size_t width = WidthOf(text, form);
            if (aligned) {
                // Separator, value and padding up to the column width.
                char* p = _Room(widths[c] + 1 + kSlack);
                if (lineLength > 0) {
                    *p++ = ' ';
                    ++lineLength;
                }
                p = (form == Form::Bare && width <= 16) ? EmitShortBare(p, text)
                                                        : Emit(p, text, form);
                lineLength += width;
                if (c + 1 < numColumns && width < widths[c]) {
                    p = Blanks(p, widths[c] - width);
                    lineLength += widths[c] - width;
                }
                _Advance(p);
            } else {
                char* p = _Room(width + 2);
                if (lineLength > 0 && lineLength + 1 + width > _maxLineLength) {
                    *p++ = '\n';
                    lineLength = 0;
                }
                if (lineLength > 0) {
                    *p++ = ' ';
                    ++lineLength;
                }
                p = Emit(p, text, form);
                lineLength += width;
                _Advance(p);
            }
        }
        if (lineLength > 0) {
            _Put('\n');
        }
    }
}
