#ifndef TESRA_TOOL_IO_CIFOUTLINE_H
#define TESRA_TOOL_IO_CIFOUTLINE_H

#include <cstddef>
#include <string>
#include <vector>

// A light pass over CIF text that finds where data blocks, tables and loop
// rows start, which lines are comment lines and which lines lie inside text
// fields, without building any table. The comment keeper runs it over the
// input and over the written output so that both sides are described the same
// way. Lines are numbered from 0; LF, CRLF and a lone CR each end a line. A
// leading UTF-8 byte-order mark is skipped and belongs to no line.

enum class OutlineKind { Block, Table, Row, End };

class OutlineListener {
public:
    virtual ~OutlineListener() = default;

    // A structural element starts on `line`. Block: `block` is the block name.
    // Table: the first line of a category (its loop_ line or its first item
    // line); a loop's Table is reported when its first value is reached, so it
    // can arrive after later comment lines. Row: loop row `row` (from 0) of the
    // table starts on `line`. End: the end of the text, `line` is the line count.
    virtual void element(OutlineKind kind, const std::string& block, const std::string& table,
                         std::size_t row, std::size_t line) = 0;

    // A line, outside text fields, whose first non-blank character is '#'.
    virtual void comment_line(std::size_t /*line*/) {}

    // A text field opened on `first_line` and closed on `last_line`.
    virtual void text_field(std::size_t /*first_line*/, std::size_t /*last_line*/) {}

    // A loop without values: bytes [begin, end) hold its loop_ and item names.
    virtual void empty_loop(std::size_t /*begin*/, std::size_t /*end*/) {}

    // A global_ section before the first data block: bytes [begin, end).
    virtual void leading_global(std::size_t /*begin*/, std::size_t /*end*/) {}
};

void scan_cif_outline(const std::string& text, OutlineListener& listener);

// Where one line lies in a text: its content and its terminator (0, 1 or 2 bytes).
struct LineSpan {
    std::size_t begin = 0;
    std::size_t length = 0;
    std::size_t terminator = 0;
};

// The lines of a text, split as scan_cif_outline counts them. A text ending in
// a terminator has no empty line after it.
std::vector<LineSpan> split_lines(const std::string& text);

#endif
