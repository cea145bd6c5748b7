#include "io/CifOutline.h"

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}
bool is_line_end(char c) {
    return c == '\n' || c == '\r';
}
bool is_space(char c) {
    return is_blank(c) || is_line_end(c);
}

// Where the text starts: after a UTF-8 byte-order mark, as the library's
// scanner reads it. The mark belongs to no line.
std::size_t text_start(const std::string& text) {
    return text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when text[begin, end) starts with the lower-case word, ASCII case ignored.
bool starts_with_word(const std::string& text, std::size_t begin, std::size_t end,
                      const char* word) {
    std::size_t i = begin;
    for (; *word != '\0'; ++word, ++i) {
        if (i >= end || lower(text[i]) != *word)
            return false;
    }
    return true;
}

enum class TokenKind { Name, Value, Data, Loop, Global, Save, Stop, Comment, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t line = 0;
    bool first_on_line = false;
};

class Tokenizer {
public:
    Tokenizer(const std::string& text, OutlineListener& listener)
        : _text(text), _listener(listener), _pos(text_start(text)) {}

    Token next() {
        const std::size_t size = _text.size();
        while (_pos < size) {
            const char c = _text[_pos];
            if (is_line_end(c)) {
                _end_line();
                continue;
            }
            if (is_blank(c)) {
                ++_pos;
                _atLineStart = false;
                continue;
            }
            Token token;
            token.begin = _pos;
            token.line = _line;
            token.first_on_line = !_lineHasToken;
            _lineHasToken = true;
            if (_atLineStart && c == ';') {
                _text_field(token);
                return token;
            }
            _atLineStart = false;
            if (c == '#') {
                token.kind = TokenKind::Comment;
                _pos = _line_content_end(_pos);
            } else if (c == '\'' || c == '"') {
                token.kind = TokenKind::Value;
                _pos = _quoted_end(_pos, c);
            } else {
                std::size_t end = _pos;
                while (end < size && !is_space(_text[end])) ++end;
                token.kind = _classify(_pos, end);
                _pos = end;
            }
            token.end = _pos;
            return token;
        }
        Token token;
        token.begin = token.end = size;
        token.line = _line + ((size > text_start(_text) && !is_line_end(_text[size - 1])) ? 1 : 0);
        return token;
    }

private:
    void _end_line() {
        if (_text[_pos] == '\r' && _pos + 1 < _text.size() && _text[_pos + 1] == '\n')
            ++_pos;
        ++_pos;
        ++_line;
        _atLineStart = true;
        _lineHasToken = false;
    }

    std::size_t _line_content_end(std::size_t from) const {
        while (from < _text.size() && !is_line_end(_text[from])) ++from;
        return from;
    }

    // A quote closes only when followed by white space or the end of the text;
    // an unclosed quote runs to the end of its line.
    std::size_t _quoted_end(std::size_t open, char quote) const {
        const std::size_t size = _text.size();
        for (std::size_t i = open + 1; i < size && !is_line_end(_text[i]); ++i) {
            if (_text[i] == quote && (i + 1 == size || is_space(_text[i + 1])))
                return i + 1;
        }
        return _line_content_end(open);
    }

    // From an opening ';' at a line start to the next line that starts with ';'.
    void _text_field(Token& token) {
        token.kind = TokenKind::Value;
        const std::size_t first_line = _line;
        _pos = _line_content_end(_pos);
        while (_pos < _text.size()) {
            _end_line();
            if (_pos < _text.size() && _text[_pos] == ';') {
                ++_pos;
                _atLineStart = false;
                _lineHasToken = true;
                token.end = _pos;
                _listener.text_field(first_line, _line);
                return;
            }
            _pos = _line_content_end(_pos);
        }
        token.end = _pos;  // unterminated: the rest of the text
        _listener.text_field(first_line, _line);
    }

    TokenKind _classify(std::size_t begin, std::size_t end) const {
        if (_text[begin] == '_')
            return TokenKind::Name;
        const std::size_t length = end - begin;
        if (starts_with_word(_text, begin, end, "data_"))
            return TokenKind::Data;
        if (length == 5 && starts_with_word(_text, begin, end, "loop_"))
            return TokenKind::Loop;
        if (length == 7 && starts_with_word(_text, begin, end, "global_"))
            return TokenKind::Global;
        if (length == 5 && starts_with_word(_text, begin, end, "stop_"))
            return TokenKind::Stop;
        if (starts_with_word(_text, begin, end, "save_"))
            return TokenKind::Save;
        return TokenKind::Value;
    }

    const std::string& _text;
    OutlineListener& _listener;
    std::size_t _pos;
    std::size_t _line = 0;
    bool _atLineStart = true;
    bool _lineHasToken = false;
};

// The category of an item name: between the leading '_' and the first '.'
// (the whole name after '_' when it has no '.').
std::string category_of(const std::string& text, const Token& token) {
    std::size_t end = token.begin + 1;
    while (end < token.end && text[end] != '.') ++end;
    return text.substr(token.begin + 1, end - token.begin - 1);
}

class OutlineWalker {
public:
    OutlineWalker(const std::string& text, OutlineListener& listener)
        : _text(text), _listener(listener), _tokens(text, listener) {}

    void run() {
        Token token = _next_structure();
        if (token.kind == TokenKind::Global) {
            // The leading global_ section is skipped up to the first data block.
            const Token global = token;
            do {
                token = _next_structure();
            } while (token.kind != TokenKind::Data && token.kind != TokenKind::End);
            _listener.leading_global(global.begin, token.begin);
        }
        while (_handle(token)) token = _next_structure();
    }

private:
    // The next token that is not a comment; comment lines are reported on the way.
    Token _next_structure() {
        for (;;) {
            const Token token = _tokens.next();
            if (token.kind != TokenKind::Comment)
                return token;
            if (token.first_on_line)
                _listener.comment_line(token.line);
        }
    }

    // Returns false at the end of the text.
    bool _handle(const Token& token) {
        switch (token.kind) {
            case TokenKind::Data:
                _finish_loop();
                _block = _text.substr(token.begin + 5, token.end - token.begin - 5);
                _pairCategory.clear();
                _listener.element(OutlineKind::Block, _block, std::string(), 0, token.line);
                return true;
            case TokenKind::Loop:
                _finish_loop();
                _pairCategory.clear();
                _inLoop = true;
                _collectingNames = true;
                _loopBegin = token.begin;
                _loopEnd = token.end;
                _loopLine = token.line;
                _names = 0;
                _values = 0;
                return true;
            case TokenKind::Name:
                if (_inLoop && _collectingNames) {
                    if (_names == 0)
                        _loopCategory = category_of(_text, token);
                    ++_names;
                    _loopEnd = token.end;
                    return true;
                }
                _finish_loop();
                {
                    std::string category = category_of(_text, token);
                    if (category != _pairCategory) {
                        _pairCategory = std::move(category);
                        _listener.element(OutlineKind::Table, _block, _pairCategory, 0, token.line);
                    }
                }
                return true;
            case TokenKind::Value:
                if (_inLoop) {
                    _collectingNames = false;
                    if (_names == 0)
                        return true;
                    if (_values == 0) {
                        _listener.element(OutlineKind::Table, _block, _loopCategory, 0, _loopLine);
                    }
                    if (_values % _names == 0) {
                        _listener.element(OutlineKind::Row, _block, _loopCategory, _values / _names,
                                          token.line);
                    }
                    ++_values;
                }
                return true;
            case TokenKind::End:
                _finish_loop();
                _listener.element(OutlineKind::End, _block, std::string(), 0, token.line);
                return false;
            default:  // global_, save_, stop_ end what came before
                _finish_loop();
                _pairCategory.clear();
                return true;
        }
    }

    void _finish_loop() {
        if (_inLoop && _values == 0)
            _listener.empty_loop(_loopBegin, _loopEnd);
        _inLoop = false;
    }

    const std::string& _text;
    OutlineListener& _listener;
    Tokenizer _tokens;
    std::string _block;
    std::string _pairCategory;
    std::string _loopCategory;
    bool _inLoop = false;
    bool _collectingNames = false;
    std::size_t _loopBegin = 0;
    std::size_t _loopEnd = 0;
    std::size_t _loopLine = 0;
    std::size_t _names = 0;
    std::size_t _values = 0;
};

}  // namespace

void scan_cif_outline(const std::string& text, OutlineListener& listener) {
    OutlineWalker(text, listener).run();
}

std::vector<LineSpan> split_lines(const std::string& text) {
    std::vector<LineSpan> lines;
    std::size_t begin = text_start(text);
    const std::size_t size = text.size();
    for (std::size_t i = begin; i < size; ++i) {
        const char c = text[i];
        if (!is_line_end(c))
            continue;
        LineSpan span;
        span.begin = begin;
        span.length = i - begin;
        span.terminator = (c == '\r' && i + 1 < size && text[i + 1] == '\n') ? 2 : 1;
        i += span.terminator - 1;
        begin = i + 1;
        lines.push_back(span);
    }
    if (begin < size) {
        LineSpan span;
        span.begin = begin;
        span.length = size - begin;
        lines.push_back(span);
    }
    return lines;
}
