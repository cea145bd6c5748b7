#ifndef TESRA_CIF_CIFSCANNER_H
#define TESRA_CIF_CIFSCANNER_H

#include <string>
#include <string_view>

#include "cif/CifScanText.h"

// Kinds of CIF 1.1 tokens.
enum class CifTokenType {
    End,         // end of the text
    DataHeader,  // data_<name>; text is the name
    Loop,        // loop_
    Global,      // global_
    SaveHeader,  // save_<name>; text is the name
    SaveEnd,     // save_ alone
    Tag,         // _<name>; text is the whole data name, in the scanned text itself
    Value,       // unquoted, quoted or text field value; text is the value
    Error        // a lexical error; text is the message
};

struct CifToken {
    CifTokenType type = CifTokenType::End;
    // Valid until the next call of CifScanner::Next; a Tag's as long as the text.
    std::string_view text;
    unsigned int line = 0;  // 1-based line on which the token starts
};

// Cuts CIF 1.1 text into tokens. The text is borrowed and must outlive the
// scanner. Line ends may be LF, CRLF or CR; inside text fields they are read
// as LF. A quoted value ends at a matching quote that is followed by
// whitespace or the end of the line; a text field runs from a ';' at the start
// of a line to the next such ';' (the line break after the opening ';' and the
// one before the closing ';' are not part of the value). A UTF-8 byte-order
// mark at the start is skipped. C0 control characters other than tab, CR and
// LF are refused outside text fields: a token that holds one, or follows
// whitespace or a comment that does, is still returned, and then an Error
// token names the first of them with its line.
class CifScanner {
public:
    CifScanner(const char* begin, const char* end);

    const CifToken& Next() {
        // The common tokens, a plain value or a data name after blanks and
        // line feeds, are read here, inline in the reader's loop (3.8% fewer
        // instructions reading and writing the monomer files, the data names
        // another 1.7% reading the PDBx dictionary); the rest goes the general
        // way, which also reports a waiting control character first. Each
        // kind is returned with its type fixed, which the reader's switch
        // over the type can see.
        if (!_hasControl) {
            const char* p = _pos;
            for (;;) {
                if (p < _end && *p == ' ') {
                    p = cifscan::SkipBlanks(p + 1, _end);
                }
                if (p == _end || *p != '\n') {
                    break;
                }
                ++_line;
                ++p;
            }
            _pos = p;
            if (p < _end) {
                const unsigned char start =
                    cifscan::kInlineStart.start[static_cast<unsigned char>(*p)];
                if (start == cifscan::kPlainValue) {
                    return _ReadBare(p, CifTokenType::Value);
                }
                if (start == cifscan::kDataName) {
                    return _ReadBare(p, CifTokenType::Tag);
                }
            }
        }
        return _NextGeneral();
    }

    // Where the next token's search starts; the text before it is no longer needed.
    const char* Position() const { return _pos; }

    // Whitespace as the reader and the writer both define it: bytes 9-13 and 32.
    static bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

private:
    // What _ScanBare does for a data name, or a value that is no reserved
    // word, starting at p.
    const CifToken& _ReadBare(const char* p, CifTokenType type) {
        _token.line = _line;
        const char* const last =
            cifscan::FindSpace(p, _end, [this](char c) { _NoteControl(c, _token.line); });
        _token.type = type;
        _token.text = std::string_view(p, static_cast<std::size_t>(last - p));
        _pos = last;
        return _token;
    }
    const CifToken& _NextGeneral();
    // Skips whitespace and comments, counting lines; false at the end.
    bool _SkipSpace();
    void _ScanTextField();
    void _ScanQuoted();
    void _ScanBare();
    void _SetError(const std::string& message);
    // Keeps the first control character of the current token or gap.
    void _NoteControl(char c, unsigned int line);
    // Makes the current token the error for the kept control character.
    void _ReportControl();

    const char* _pos;
    const char* const _end;
    const char* const _begin;
    unsigned int _line = 1;
    CifToken _token;
    std::string _scratch;      // normalised text fields and error messages
    bool _hasControl = false;  // a control character waits to be reported
    char _controlChar = 0;
    unsigned int _controlLine = 0;
};

#endif  // TESRA_CIF_CIFSCANNER_H
