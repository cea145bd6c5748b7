#include "cif/CifWriter.h"

#include <stdexcept>
#include <vector>

#include "cif/Block.h"
#include "cif/CifFile.h"
#include "cif/CifScanner.h"
#include "foundation/CifString.h"
#include "table/ISTable.h"

namespace {

constexpr std::size_t kChunk = 1 << 20;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

bool StartsWithWordCi(const std::string& text, const char* word, std::size_t n) {
    if (text.size() < n) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (Lower(text[i]) != word[i]) {
            return false;
        }
    }
    return true;
}

// A bare value that starts with a reserved word would read as that word.
bool StartsWithReservedWord(const std::string& text) {
    switch (Lower(text[0])) {
    case 'd':
        return StartsWithWordCi(text, "data_", 5);
    case 'l':
        return StartsWithWordCi(text, "loop_", 5);
    case 's':
        return StartsWithWordCi(text, "save_", 5) || StartsWithWordCi(text, "stop_", 5);
    case 'g':
        return StartsWithWordCi(text, "global_", 7);
    default:
        return false;
    }
}

// A text field cannot hold a line that starts with ';' (it would close it).
bool FitsTextField(const std::string& text) {
    return (text.empty() || text[0] != ';') && text.find("\n;") == std::string::npos;
}

std::size_t WidthOf(const std::string& text, CifWriter::Form form) {
    return form == CifWriter::Form::Bare ? text.size() : text.size() + 2;
}

bool HasSpace(const std::string& text) {
    for (const char c : text) {
        if (CifScanner::IsSpace(c)) {
            return true;
        }
    }
    return false;
}

// Names become data names or block headers as they are; one with whitespace,
// or a category with a full stop, would read back as something else.
void CheckName(const std::string& name, const char* what, bool allowDot) {
    if (name.empty() || HasSpace(name) || (!allowDot && name.find('.') != std::string::npos)) {
        throw std::runtime_error(std::string(what) + " \"" + name +
                                 "\" cannot be written as CIF in CifWriter::Write");
    }
}

}  // namespace

namespace {

// Characters that matter to the quoting decision, by byte value.
enum : unsigned char { kPlain = 0, kSpace = 1, kBreak = 2, kCarriageReturn = 4, kBracket = 8 };

struct QuoteTable {
    unsigned char flags[256];
    constexpr QuoteTable() : flags() {
        for (int c = 0; c < 256; ++c) {
            flags[c] = kPlain;
        }
        for (const char c : {' ', '\t', '\v', '\f'}) {
            flags[static_cast<unsigned char>(c)] = kSpace;
        }
        flags[static_cast<unsigned char>('\n')] = kSpace | kBreak;
        flags[static_cast<unsigned char>('\r')] = kSpace | kCarriageReturn;
        for (const char c : {'(', ')', '[', ']', '{', '}'}) {
            flags[static_cast<unsigned char>(c)] = kBracket;
        }
    }
};

constexpr QuoteTable kQuoteTable;

}  // namespace

CifWriter::Form CifWriter::Classify(const std::string& value, std::size_t maxLineLength) {
    if (value.empty()) {
        return Form::SingleQuoted;
    }
    // One pass over the value collects everything the decision needs; most
    // values are short plain words and never leave the fast branch.
    const char* const text = value.data();
    const std::size_t size = value.size();
    unsigned char seen = 0;
    bool singleBeforeSpace = false;
    bool doubleBeforeSpace = false;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char flags = kQuoteTable.flags[static_cast<unsigned char>(text[i])];
        if (flags == kPlain) {
            continue;
        }
        if ((flags & kSpace) != 0 && i > 0) {
            singleBeforeSpace = singleBeforeSpace || text[i - 1] == '\'';
            doubleBeforeSpace = doubleBeforeSpace || text[i - 1] == '"';
        }
        // A bracket counts after the first character only; the first is
        // tested as a special first character below.
        seen |= (flags == kBracket && i == 0) ? 0 : flags;
    }
    if ((seen & kCarriageReturn) != 0) {
        // A reader takes CR for a line end and would give back a different value.
        return Form::Unwritable;
    }
    if ((seen & kBreak) != 0) {
        return FitsTextField(value) ? Form::TextField : Form::Unwritable;
    }
    const bool needsQuotes = seen != 0 || CifString::IsSpecialFirstChar(text[0]) ||
                             text[0] == '\'' || text[0] == '"' || StartsWithReservedWord(value);
    Form form = Form::Bare;
    if (needsQuotes) {
        if (!singleBeforeSpace) {
            form = Form::SingleQuoted;
        } else if (!doubleBeforeSpace) {
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
    _out.reserve(kChunk + 4096);
    std::vector<std::string> blockNames;
    _file.GetBlockNames(blockNames);
    for (const std::string& blockName : blockNames) {
        _WriteBlock(_file.GetBlock(blockName));
    }
    if (!_out.empty()) {
        _sink(_out.data(), _out.size());
        _out.clear();
    }
}

void CifWriter::_FlushIfFull() {
    if (_out.size() >= kChunk) {
        _sink(_out.data(), _out.size());
        _out.clear();
    }
}

void CifWriter::_WriteBlock(Block& block) {
    CheckName(block.GetName(), "Block name", true);
    _out += "data_";
    _out += block.GetName();
    _out += '\n';
    std::vector<std::string> tableNames;
    block.GetTableNames(tableNames);
    for (const std::string& tableName : tableNames) {
        ISTable* table = block.GetTablePtr(tableName);
        if (table == nullptr || table->GetNumRows() == 0 || table->GetColumnNames().empty()) {
            continue;
        }
        _WriteTable(*table, _file.IsLooping(tableName) || table->GetNumRows() > 1);
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
    _FlushIfFull();
}

const std::string& CifWriter::_CellText(const std::string& cell) const {
    return cell.empty() ? _file.GetNullValue() : cell;
}

CifWriter::Form CifWriter::_FormOf(const std::string& text, const ISTable& table,
                                   const std::string& column) const {
    const Form form = Classify(text, _maxLineLength);
    if (form == Form::Unwritable) {
        throw std::runtime_error("Value in table \"" + table.GetName() + "\" column \"" + column +
                                 "\" cannot be written as CIF in CifWriter::Write");
    }
    return form;
}

void CifWriter::_AppendValue(const std::string& text, Form form) {
    switch (form) {
    case Form::Bare:
        _out += text;
        break;
    case Form::SingleQuoted:
        _out += '\'';
        _out += text;
        _out += '\'';
        break;
    case Form::DoubleQuoted:
        _out += '"';
        _out += text;
        _out += '"';
        break;
    default:
        break;
    }
}

void CifWriter::_AppendTextField(const std::string& text) {
    // Starts on a line of its own; the reader drops the two line breaks
    // that frame the value.
    _out += ";\n";
    _out += text;
    _out += "\n;\n";
}

void CifWriter::_WritePairs(ISTable& table) {
    const std::vector<std::string>& columns = table.GetColumnNames();
    std::vector<std::string> items;
    CifString::MakeCifItem(items, table.GetName(), columns);
    std::size_t nameWidth = 0;
    for (const std::string& item : items) {
        nameWidth = std::max(nameWidth, item.size());
    }
    const std::vector<std::string>& row = table.GetRow(0);
    const std::string empty;
    for (std::size_t c = 0; c < items.size(); ++c) {
        const std::string& text = _CellText(c < row.size() ? row[c] : empty);
        const Form form = _FormOf(text, table, columns[c]);
        _out += items[c];
        if (form == Form::TextField) {
            _out += '\n';
            _AppendTextField(text);
            continue;
        }
        const std::size_t width = WidthOf(text, form);
        if (nameWidth + 1 + width <= _maxLineLength) {
            _out.append(nameWidth + 1 - items[c].size(), ' ');
        } else if (width <= _maxLineLength) {
            _out += '\n';
        } else {
            _out += ' ';
        }
        _AppendValue(text, form);
        _out += '\n';
    }
}

void CifWriter::_WriteLoop(ISTable& table) {
    const std::vector<std::string>& columns = table.GetColumnNames();
    const std::size_t numColumns = columns.size();
    const std::string empty;
    std::vector<std::string> items;
    CifString::MakeCifItem(items, table.GetName(), columns);
    _out += "loop_\n";
    for (const std::string& item : items) {
        _out += item;
        _out += '\n';
    }

    // Column widths of the values that go on a line, to align the rows when
    // an aligned row fits. The forms are kept for the writing pass.
    const unsigned int numRows = table.GetNumRows();
    std::vector<std::size_t> widths(numColumns, 0);
    std::vector<Form> forms(static_cast<std::size_t>(numRows) * numColumns);
    std::size_t cell = 0;
    for (unsigned int r = 0; r < numRows; ++r) {
        const std::vector<std::string>& row = table.GetRow(r);
        for (std::size_t c = 0; c < numColumns; ++c, ++cell) {
            const std::string& text = _CellText(c < row.size() ? row[c] : empty);
            const Form form = _FormOf(text, table, columns[c]);
            forms[cell] = form;
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

    cell = 0;
    for (unsigned int r = 0; r < numRows; ++r) {
        const std::vector<std::string>& row = table.GetRow(r);
        std::size_t lineLength = 0;
        for (std::size_t c = 0; c < numColumns; ++c, ++cell) {
            const std::string& text = _CellText(c < row.size() ? row[c] : empty);
            const Form form = forms[cell];
            if (form == Form::TextField) {
                if (lineLength > 0) {
                    _out += '\n';
                }
                _AppendTextField(text);
                lineLength = 0;
                continue;
            }
            const std::size_t width = WidthOf(text, form);
            if (aligned) {
                if (lineLength > 0) {
                    _out += ' ';
                    ++lineLength;
                }
                _AppendValue(text, form);
                lineLength += width;
                if (c + 1 < numColumns && width < widths[c]) {
                    _out.append(widths[c] - width, ' ');
                    lineLength += widths[c] - width;
                }
            } else {
                if (lineLength > 0 && lineLength + 1 + width > _maxLineLength) {
                    _out += '\n';
                    lineLength = 0;
                }
                if (lineLength > 0) {
                    _out += ' ';
                    ++lineLength;
                }
                _AppendValue(text, form);
                lineLength += width;
            }
        }
        if (lineLength > 0) {
            _out += '\n';
        }
        _FlushIfFull();
    }
}
