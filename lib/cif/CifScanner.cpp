#include "cif/CifScanner.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cif/CifScanText.h"
#include "cif/ReservedWords.h"
#include "cif/ShownValue.h"

using namespace cifscan;

namespace {

bool IsLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// The line ends in [p, end): LF, CRLF and a lone CR count one each (a CR at
// the end counts one). hasCr tells whether there is a CR. Text without CR,
// the usual text, is searched line by line with memchr (the text fields of
// the PDBx dictionary then cost a fifth of the instructions of a count byte
// by byte).
unsigned int CountLineEnds(const char* p, const char* end, bool& hasCr) {
    unsigned int lines = 0;
    hasCr = std::memchr(p, '\r', static_cast<std::size_t>(end - p)) != nullptr;
    if (!hasCr) {
        while ((p = static_cast<const char*>(
                    std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr) {
            ++lines;
            ++p;
        }
        return lines;
    }
    for (; p < end; ++p) {
        if (*p == '\n' || (*p == '\r' && (p + 1 == end || p[1] != '\n'))) {
            ++lines;
        }
    }
    return lines;
}

const char* SkipByteOrderMark(const char* begin, const char* end) {
    return end - begin >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0 ? begin + 3 : begin;
}

}  // namespace

CifScanner::CifScanner(const char* begin, const char* end)
    : _pos(SkipByteOrderMark(begin, end)), _end(end), _begin(_pos) {}

bool CifScanner::_SkipSpace() {
    const char* p = _pos;
    const char* const end = _end;
    // The common classes first: a token's start, a run of blanks, a line end.
    while (p < end) {
        const unsigned char cls = ClassOf(*p);
        if (cls == kOther) {
            _pos = p;
            return true;
        }
        if (cls == kBlank) {
            p = SkipBlanks(p + 1, end);
            continue;
        }
        if (cls == kLf) {
            ++_line;
            ++p;
            continue;
        }
        switch (cls) {
            case kCr:
                // CRLF is one line end, a lone CR another.
                ++_line;
                ++p;
                if (p < end && *p == '\n') {
                    ++p;
                }
                break;
            case kControlBlank:
                _NoteControl(*p, _line);
                ++p;
                break;
            default:  // kHash
                for (; p < end && !IsLineBreak(*p); ++p) {
                    if (IsControl(*p)) {
                        _NoteControl(*p, _line);
                    }
                }
                break;
        }
    }
    _pos = p;
    return false;
}

void CifScanner::_SetError(const std::string& message) {
    _scratch = message;
    _token.type = CifTokenType::Error;
    _token.text = _scratch;
}

void CifScanner::_NoteControl(char c, unsigned int line) {
    if (!_hasControl) {
        _hasControl = true;
        _controlChar = c;
        _controlLine = line;
    }
}

void CifScanner::_ReportControl() {
    char message[48];
    std::snprintf(message, sizeof message, "control character 0x%02X is not allowed",
                  static_cast<unsigned int>(static_cast<unsigned char>(_controlChar)));
    _SetError(message);
    _token.line = _controlLine;
    _hasControl = false;
}

const CifToken& CifScanner::_NextGeneral() {
    // A control character is reported after the token or the gap that holds it.
    if (_hasControl) {
        _ReportControl();
        return _token;
    }
    if (!_SkipSpace()) {
        if (_hasControl) {
            _ReportControl();
            return _token;
        }
        _token.type = CifTokenType::End;
        _token.text = std::string_view();
        _token.line = _line;
        return _token;
    }
    _token.line = _line;
    const char c = *_pos;
    const bool atLineStart = (_pos == _begin) || IsLineBreak(_pos[-1]);
    if (c == ';' && atLineStart) {
        _ScanTextField();
    } else if (c == '\'' || c == '"') {
        _ScanQuoted();
    } else {
        _ScanBare();
    }
    return _token;
}

void CifScanner::_ScanTextField() {
    const char* const open = _pos;
    // The closing ';' is the first one that starts a line.
    const char* close = nullptr;
    const char* search = open + 1;
    while (search < _end) {
        const void* hit = std::memchr(search, ';', static_cast<std::size_t>(_end - search));
        if (hit == nullptr) {
            break;
        }
        const char* semi = static_cast<const char*>(hit);
        if (IsLineBreak(semi[-1])) {
            close = semi;
            break;
        }
        search = semi + 1;
    }
    if (close == nullptr) {
        // Count the lines anyway so that later messages stay right.
        bool hasCr = false;
        _line += CountLineEnds(open, _end, hasCr);
        _pos = _end;
        _SetError("unterminated text field");
        return;
    }

    const char* first = open + 1;
    const char* last = close;  // raw content is [first, last)
    bool hasCr = false;
    _line += CountLineEnds(first, last, hasCr);
    // Drop the line break before the closing ';', then the one after the opening ';'.
    if (last - first >= 2 && last[-2] == '\r' && last[-1] == '\n') {
        last -= 2;
    } else if (last > first && IsLineBreak(last[-1])) {
        last -= 1;
    }
    if (last - first >= 2 && first[0] == '\r' && first[1] == '\n') {
        first += 2;
    } else if (last > first && IsLineBreak(first[0])) {
        first += 1;
    }
    _pos = close + 1;
    _token.type = CifTokenType::Value;
    if (!hasCr) {
        _token.text = std::string_view(first, static_cast<std::size_t>(last - first));
        return;
    }
    _scratch.clear();
    _scratch.reserve(static_cast<std::size_t>(last - first));
    for (const char* p = first; p < last; ++p) {
        if (*p == '\r') {
            _scratch.push_back('\n');
            if (p + 1 < last && p[1] == '\n') {
                ++p;
            }
        } else {
            _scratch.push_back(*p);
        }
    }
    _token.text = _scratch;
}

void CifScanner::_ScanQuoted() {
    const char quote = *_pos;
    const char* const first = _pos + 1;
    const char* const end = _end;
    const char* control = nullptr;
    const char* p = first;
    // Only quotes and bytes below 0x20 matter; the rest is passed eight at a
    // time (a third of the instructions of reading the quoted values of the
    // PDBx dictionary byte by byte).
    for (; (p = FindQuoteOrLow(p, end, quote)) != end; ++p) {
        const char c = *p;
        if (c == quote) {
            if (p + 1 == end || IsSpace(p[1])) {
                _token.type = CifTokenType::Value;
                _token.text = std::string_view(first, static_cast<std::size_t>(p - first));
                _pos = p + 1;
                if (control != nullptr) {
                    _NoteControl(*control, _token.line);
                }
                return;
            }
        } else if (IsLineBreak(c)) {
            break;  // the line end itself is counted by the next skip
        } else if (c != '\t' && control == nullptr) {
            control = p;
        }
    }
    _pos = p;
    _SetError("unterminated quoted value " +
              ShownValue(std::string_view(first - 1, static_cast<std::size_t>(p - first + 1))));
}

void CifScanner::_ScanBare() {
    // The first character is not whitespace (the skip stopped there), but it
    // may be a control character.
    const char* const first = _pos;
    const char* const p = FindSpace(first, _end, [this](char c) { _NoteControl(c, _token.line); });
    _pos = p;
    const std::string_view word(first, static_cast<std::size_t>(p - first));
    _token.text = word;
    const char c = word[0];
    if (c == '_') {
        _token.type = CifTokenType::Tag;
        return;
    }
    _token.type = CifTokenType::Value;
    switch (CifLower(c)) {
        case 'd':
            if (StartsWithReservedWord(word, "data_")) {
                if (word.size() == 5) {
                    _SetError("data_ without a block name");
                    return;
                }
                _token.type = CifTokenType::DataHeader;
                _token.text = word.substr(5);
            }
            return;
        case 's':
            if (StartsWithReservedWord(word, "save_")) {
                _token.type = word.size() == 5 ? CifTokenType::SaveEnd : CifTokenType::SaveHeader;
                _token.text = word.substr(5);
            } else if (StartsWithReservedWord(word, "stop_")) {
                _SetError("reserved word " + ShownValue(word) + " is not allowed");
            }
            return;
        case 'l':
            if (StartsWithReservedWord(word, "loop_")) {
                if (word.size() == 5) {
                    _token.type = CifTokenType::Loop;
                } else {
                    _SetError("reserved word " + ShownValue(word) + " is not allowed");
                }
            }
            return;
        case 'g':
            if (StartsWithReservedWord(word, "global_")) {
                if (word.size() == 7) {
                    _token.type = CifTokenType::Global;
                } else {
                    _SetError("reserved word " + ShownValue(word) + " is not allowed");
                }
            }
            return;
        default:
            return;
    }
}
