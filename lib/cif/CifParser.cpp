#include "cif/CifParser.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <unordered_map>
#include <vector>

#include "cif/CategoryBuffer.h"
#include "cif/CifFile.h"
#include "cif/CifScanner.h"
#include "cif/SaveFrameKeys.h"
#include "cif/ShownValue.h"
#include "foundation/CifString.h"
#include "foundation/Exceptions.h"
#include "foundation/MirtFile.h"

namespace {

constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);

// One category as seen by one scope (the block's own data, or one save frame).
struct ScopeCategory {
    CategoryBuffer* buffer = nullptr;
    bool looped = false;
    std::size_t firstRow = 0;       // the scope's rows are [firstRow, end) of the buffer
    std::size_t nvRow = kNoRow;     // the row of the name/value pairs
    std::vector<bool> given;        // columns the scope gave
    std::size_t frame = 0;          // the save frame that made the entry (frame scope only)
    ImplicitFrameKeys keys;         // the category's implicit keys (frame scope only)
    ScopeCategory* next = nullptr;  // the entry of the scope looked up after this one, last time

    bool IsGiven(unsigned int col) const { return col < given.size() && given[col]; }
    void SetGiven(unsigned int col) {
        if (given.size() <= col) {
            // One growth covers the columns of a typical category.
            given.resize(std::max<std::size_t>(col + 1, 64), false);
        }
        given[col] = true;
    }
};

// Keyed by the category's name as its buffer holds it: the buffers outlive
// the entries, and a lookup by a name in the text needs no string made.
using Scope = std::unordered_map<std::string_view, ScopeCategory>;

// The splits of an item name "_category.attribute".
enum class NameCheck { Ok, NoDot, EmptyCategory, Invalid };

// Data names always start with "_" (the scanner makes a tag of nothing else);
// the category runs to the first full stop, the attribute after it.
NameCheck SplitItemName(std::string_view tag, std::string_view& category,
                        std::string_view& attribute) {
    const std::size_t dot = tag.size() < 2 ? std::string_view::npos : tag.find('.', 1);
    if (dot == std::string_view::npos) {
        return NameCheck::NoDot;
    }
    category = tag.substr(1, dot - 1);
    if (category.empty()) {
        return NameCheck::EmptyCategory;
    }
    attribute = tag.substr(dot + 1);
    if (attribute.empty()) {
        return NameCheck::Invalid;  // "_cat." : nothing after the full stop
    }
    return NameCheck::Ok;
}

// One reading of CIF text into a CifFile: the state machine over the tokens.
class ParseRun {
public:
    ParseRun(CifFile& file, std::string& diagnostics, std::string& log)
        : _file(file), _diagnostics(diagnostics), _log(log) {}

    // releaseBehind: the text is a private file mapping whose pages may be
    // dropped once read, so that a large file does not stay in memory whole.
    void Run(const char* begin, const char* end, bool releaseBehind);

private:
    enum class Mode { BeforeData, SkipGlobal, InBlock };
    enum class LoopState { None, Names, Values };

    // The first kMaxMessages errors and as many warnings are kept, the rest
    // counted: a file of garbage must not give diagnostics many times its size.
    static constexpr std::size_t kMaxMessages = 1000;
    void _Error(unsigned int line, const std::string& message);
    void _Warning(unsigned int line, const std::string& message);
    // One line for the errors and one for the warnings that were not kept.
    void _CountTheRest();

    void _OnDataHeader(const CifToken& token);
    void _OnTag(const CifToken& token);
    void _OnValue(const CifToken& token);
    void _OnLoop(const CifToken& token);
    void _OnSaveHeader(const CifToken& token);
    void _OnSaveEnd(const CifToken& token);
    void _OnGlobal(const CifToken& token);
    void _OnStray(const CifToken& token, const char* what);

    // Closes whatever is open: a tag waiting for its value, a loop.
    void _FinishPending() {
        // Inline: nothing is open before most data names (0.9% fewer
        // instructions reading the PDBx dictionary).
        if (_hasPendingTag || _loopState != LoopState::None) {
            _FinishOpen();
        }
    }
    void _FinishOpen();
    void _StartLoopValues();
    void _FinishLoop();
    void _CloseFrame();
    void _FinishBlock();

    Scope& _CurrentScope() { return _inFrame ? _frameScope : _blockScope; }
    const char* _ScopeKind() const { return _inFrame ? "save frame" : "data block"; }
    const std::string& _ScopeName() const { return _inFrame ? _frameName : _blockName; }
    CategoryBuffer& _BufferFor(std::string_view category);
    // The scope's entry of the category, made when new.
    ScopeCategory& _ScopeEntry(Scope& scope, std::string_view category, bool& created);

    CifFile& _file;
    std::string& _diagnostics;
    std::string& _log;

    Mode _mode = Mode::BeforeData;
    bool _strayReported = false;
    std::size_t _errors = 0;
    std::size_t _warnings = 0;

    // The block being read; _block is null for a block that is read and dropped
    // (a duplicate name).
    Block* _block = nullptr;
    std::string _blockName;
    std::vector<std::unique_ptr<CategoryBuffer>> _buffers;  // in order of first appearance
    std::unordered_map<std::string_view, CategoryBuffer*> _bufferIndex;  // by the buffers' names
    Scope _blockScope;

    bool _inFrame = false;
    std::string _frameName;
    unsigned int _frameLine = 0;
    // The entries of a save frame outlive it: the next frame that names the
    // category takes the entry afresh (its frame number tells) and keeps its
    // allocations. A dictionary has thousands of frames over the same few
    // categories (7% fewer instructions reading and writing the PDBx
    // dictionary). _frameEntries lists the entries of the open frame.
    Scope _frameScope;
    std::size_t _frameNumber = 1;
    std::vector<ScopeCategory*> _frameEntries;

    bool _hasPendingTag = false;
    // A view into the text, which Run keeps until the value comes: copying
    // every data name cost 2.6% of the instructions of reading the PDBx
    // dictionary.
    std::string_view _pendingTag;
    unsigned int _pendingLine = 0;

    LoopState _loopState = LoopState::None;
    unsigned int _loopLine = 0;
    // The data names of the loop being read: the first _numLoopTags strings.
    // The strings are kept from loop to loop and overwritten, so that a
    // data name costs no allocation once the longest ones have been seen
    // (0.9% fewer instructions on the monomer files).
    std::vector<std::string> _loopTags;
    std::size_t _numLoopTags = 0;
    std::vector<std::string_view> _loopAttributes;  // scratch: their attributes
    ScopeCategory* _loopTarget = nullptr;           // null: the loop's values are dropped
    std::vector<unsigned int> _loopColumns;
    bool _loopIdentity = false;  // the loop's columns are exactly 0..n-1
    std::vector<std::string> _loopRow;
    std::size_t _loopValues = 0;

    // The entry that the last _ScopeEntry gave, and in which scope: the names
    // of one category come one after another (a frame's name/value pairs),
    // so the next lookup is mostly the same one, and needs no hashing (with
    // _frameKey's reuse: 3.5% fewer instructions reading the PDBx dictionary).
    const Scope* _lastScope = nullptr;
    ScopeCategory* _lastEntry = nullptr;
    std::string _frameKey;  // scratch: the value of a closing frame's implicit keys
};

void ParseRun::_Error(unsigned int line, const std::string& message) {
    if (++_errors > kMaxMessages) {
        return;
    }
    const std::string text = "ERROR - line " + std::to_string(line) + ": " + message + "\n";
    _diagnostics += text;
    _log += text;
}

void ParseRun::_Warning(unsigned int line, const std::string& message) {
    if (++_warnings > kMaxMessages) {
        return;
    }
    _log += "WARNING - line " + std::to_string(line) + ": " + message + "\n";
}

void ParseRun::_CountTheRest() {
    if (_errors > kMaxMessages) {
        const std::string text =
            "ERROR - " + std::to_string(_errors - kMaxMessages) + " more errors not shown\n";
        _diagnostics += text;
        _log += text;
    }
    if (_warnings > kMaxMessages) {
        _log +=
            "WARNING - " + std::to_string(_warnings - kMaxMessages) + " more warnings not shown\n";
    }
}

void ParseRun::Run(const char* begin, const char* end, bool releaseBehind) {
    CifScanner scanner(begin, end);
    const std::size_t kReleaseStep = std::size_t(16) << 20;
    const std::size_t pageSize = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const char* released = begin;
    // One comparison per token: past this point the text behind is released.
    const std::size_t textSize = static_cast<std::size_t>(end - begin);
    std::size_t nextRelease = releaseBehind ? kReleaseStep : textSize + 1;
    for (;;) {
        if (static_cast<std::size_t>(scanner.Position() - begin) > nextRelease) {
            // Every value read so far has been copied out of the text; a data
            // name waiting for its value is still read there (until the next
            // token, after which the release is tried again).
            const char* const needed = _hasPendingTag ? _pendingTag.data() : scanner.Position();
            const std::size_t upTo = static_cast<std::size_t>(needed - begin) / pageSize * pageSize;
            if (begin + upTo > released) {
                ::madvise(const_cast<char*>(released),
                          static_cast<std::size_t>(begin + upTo - released), MADV_DONTNEED);
                released = begin + upTo;
                nextRelease = upTo + kReleaseStep;
            }
        }
        const CifToken& token = scanner.Next();
        switch (token.type) {
            case CifTokenType::End:
                _FinishPending();
                if (_inFrame) {
                    _Error(_frameLine, "save frame " + ShownValue(_frameName) + " is not closed");
                    _CloseFrame();
                }
                _FinishBlock();
                _CountTheRest();
                return;
            case CifTokenType::Error:
                _Error(token.line, std::string(token.text));
                break;
            case CifTokenType::DataHeader:
                _OnDataHeader(token);
                break;
            case CifTokenType::Global:
                _OnGlobal(token);
                break;
            case CifTokenType::Loop:
                _OnLoop(token);
                break;
            case CifTokenType::SaveHeader:
                _OnSaveHeader(token);
                break;
            case CifTokenType::SaveEnd:
                _OnSaveEnd(token);
                break;
            case CifTokenType::Tag:
                _OnTag(token);
                break;
            case CifTokenType::Value:
                _OnValue(token);
                break;
        }
    }
}

void ParseRun::_OnStray(const CifToken& token, const char* what) {
    if (_mode == Mode::SkipGlobal) {
        return;
    }
    if (!_strayReported) {
        _Error(token.line, std::string(what) + " before the first data_ line");
        _strayReported = true;
    }
}

void ParseRun::_OnDataHeader(const CifToken& token) {
    _FinishPending();
    if (_inFrame) {
        _Error(_frameLine, "save frame " + ShownValue(_frameName) + " is not closed");
        _CloseFrame();
    }
    _FinishBlock();
    _mode = Mode::InBlock;
    _blockName.assign(token.text.data(), token.text.size());
    if (_file.IsBlockPresent(_blockName)) {
        _Error(token.line, "duplicate data block name " + ShownValue(_blockName));
        _block = nullptr;
    } else {
        _block = &_file.AddBlock(_blockName);
    }
}

void ParseRun::_OnGlobal(const CifToken& token) {
    _FinishPending();
    if (_inFrame) {
        _Error(_frameLine, "save frame " + ShownValue(_frameName) + " is not closed");
        _CloseFrame();
    }
    _FinishBlock();
    _Warning(token.line, "global_ section skipped");
    _mode = Mode::SkipGlobal;
}

void ParseRun::_OnLoop(const CifToken& token) {
    if (_mode != Mode::InBlock) {
        _OnStray(token, "loop_");
        return;
    }
    _FinishPending();
    _loopState = LoopState::Names;
    _loopLine = token.line;
    _numLoopTags = 0;
}

void ParseRun::_OnTag(const CifToken& token) {
    if (_mode != Mode::InBlock) {
        _OnStray(token, ("data name " + ShownValue(token.text)).c_str());
        return;
    }
    if (_loopState == LoopState::Names) {
        if (_numLoopTags == _loopTags.size()) {
            _loopTags.emplace_back();
        }
        _loopTags[_numLoopTags++].assign(token.text.data(), token.text.size());
        return;
    }
    _FinishPending();
    _hasPendingTag = true;
    _pendingTag = token.text;
    _pendingLine = token.line;
}

void ParseRun::_OnValue(const CifToken& token) {
    if (_mode != Mode::InBlock) {
        _OnStray(token, ("value " + ShownValue(token.text)).c_str());
        return;
    }
    if (_loopState == LoopState::Names) {
        _StartLoopValues();
    }
    if (_loopState == LoopState::Values) {
        ++_loopValues;
        if (_loopTarget == nullptr) {
            return;
        }
        _loopRow.emplace_back(token.text);
        if (_loopRow.size() == _loopColumns.size()) {
            CategoryBuffer& buffer = *_loopTarget->buffer;
            if (_loopIdentity) {
                buffer.AddRow(std::move(_loopRow));
            } else {
                buffer.AddRow();
                const std::size_t row = buffer.NumRows() - 1;
                for (std::size_t i = 0; i < _loopColumns.size(); ++i) {
                    buffer.SetCell(row, _loopColumns[i], std::move(_loopRow[i]));
                }
            }
            _loopRow.clear();
            _loopRow.reserve(_loopColumns.size());
        }
        return;
    }
    if (!_hasPendingTag) {
        _Error(token.line, "value " + ShownValue(token.text) + " without a data name");
        return;
    }
    _hasPendingTag = false;
    std::string_view category;
    std::string_view attribute;
    switch (SplitItemName(_pendingTag, category, attribute)) {
        case NameCheck::NoDot:
            _Error(_pendingLine, "item name " + ShownValue(_pendingTag) + " without \".\"");
            return;
        case NameCheck::EmptyCategory:
            _Warning(_pendingLine,
                     "empty category name in " + ShownValue(_pendingTag) + "; item skipped");
            return;
        case NameCheck::Invalid:
            _Error(_pendingLine, "invalid item name " + ShownValue(_pendingTag));
            return;
        case NameCheck::Ok:
            break;
    }
    bool created = false;
    ScopeCategory& entry = _ScopeEntry(_CurrentScope(), category, created);
    if (entry.looped) {
        _Error(_pendingLine, "category " + ShownValue(entry.buffer->name) + " given twice in " +
                                 _ScopeKind() + " " + ShownValue(_ScopeName()));
        return;
    }
    CategoryBuffer& buffer = *entry.buffer;
    if (entry.nvRow == kNoRow) {
        entry.firstRow = buffer.NumRows();
        entry.nvRow = buffer.NumRows();
        buffer.AddRow();
    }
    const unsigned int col = buffer.ColumnFor(attribute);
    if (entry.IsGiven(col)) {
        _Error(_pendingLine, "item " + ShownValue(_pendingTag) + " given twice");
        return;
    }
    entry.SetGiven(col);
    buffer.SetCell(entry.nvRow, col, token.text);
}

void ParseRun::_StartLoopValues() {
    _loopState = LoopState::Values;
    _loopValues = 0;
    _loopTarget = nullptr;
    _loopColumns.clear();
    _loopRow.clear();
    if (_numLoopTags == 0) {
        _Error(_loopLine, "loop_ without data names");
        return;
    }
    // Views into _loopTags, which stay put until the loop ends.
    std::string_view loopCategory;
    std::vector<std::string_view>& attributes = _loopAttributes;
    attributes.clear();
    bool emptyCategory = false;
    for (std::size_t t = 0; t < _numLoopTags; ++t) {
        const std::string& tag = _loopTags[t];
        std::string_view category;
        std::string_view attribute;
        switch (SplitItemName(tag, category, attribute)) {
            case NameCheck::NoDot:
                _Error(_loopLine, "item name " + ShownValue(tag) + " without \".\"");
                return;
            case NameCheck::Invalid:
                _Error(_loopLine, "invalid item name " + ShownValue(tag));
                return;
            case NameCheck::EmptyCategory:
                emptyCategory = true;
                category = std::string_view();
                attribute = std::string_view();
                break;
            case NameCheck::Ok:
                break;
        }
        if (t == 0) {
            loopCategory = category;
        } else if (category != loopCategory) {
            _Error(_loopLine, "loop_ mixes categories " + ShownValue(loopCategory) + " and " +
                                  ShownValue(category));
            return;
        }
        attributes.push_back(attribute);
    }
    if (emptyCategory) {
        _Warning(_loopLine,
                 "empty category name in " + ShownValue(_loopTags.front()) + "; loop skipped");
        return;
    }
    bool created = false;
    ScopeCategory& entry = _ScopeEntry(_CurrentScope(), loopCategory, created);
    if (!created) {
        _Error(_loopLine, "category " + ShownValue(entry.buffer->name) + " given twice in " +
                              _ScopeKind() + " " + ShownValue(_ScopeName()));
        return;
    }
    CategoryBuffer& buffer = *entry.buffer;
    entry.looped = true;
    entry.firstRow = buffer.NumRows();
    _loopIdentity = true;
    if (buffer.columns.empty()) {
        // The usual category comes in one loop: its columns in one allocation.
        buffer.columns.reserve(attributes.size());
    }
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        const unsigned int col = buffer.ColumnFor(attributes[i]);
        if (entry.IsGiven(col)) {
            _Error(_loopLine, "item " + ShownValue(_loopTags[i]) + " given twice");
            buffer.DropRowsFrom(entry.firstRow);
            return;
        }
        entry.SetGiven(col);
        _loopColumns.push_back(col);
        _loopIdentity = _loopIdentity && col == i;
    }
    // Rows of the identity layout are moved in whole; they need every column.
    _loopIdentity = _loopIdentity && buffer.columns.size() == _loopColumns.size();
    _loopTarget = &entry;
    _loopRow.reserve(_loopColumns.size());
}

void ParseRun::_FinishLoop() {
    if (_loopState == LoopState::Names) {
        // A loop without values: its category exists, with no rows.
        _StartLoopValues();
    }
    const std::size_t names = _numLoopTags;
    if (names != 0 && _loopValues % names != 0) {
        _Error(_loopLine, "loop_ of " + std::to_string(names) + " data names holds " +
                              std::to_string(_loopValues) + " values, not a multiple of " +
                              std::to_string(names));
        if (_loopTarget != nullptr && !_loopRow.empty()) {
            // Keep what was read; the unset cells stay "?".
            CategoryBuffer& buffer = *_loopTarget->buffer;
            buffer.AddRow();
            const std::size_t row = buffer.NumRows() - 1;
            for (std::size_t i = 0; i < _loopRow.size(); ++i) {
                buffer.SetCell(row, _loopColumns[i], std::move(_loopRow[i]));
            }
        }
    }
    _loopState = LoopState::None;
    _loopTarget = nullptr;
    _loopRow.clear();
    _numLoopTags = 0;
}

void ParseRun::_FinishOpen() {
    if (_hasPendingTag) {
        _Error(_pendingLine, "data name " + ShownValue(_pendingTag) + " without a value");
        _hasPendingTag = false;
    }
    if (_loopState != LoopState::None) {
        _FinishLoop();
    }
}

void ParseRun::_OnSaveHeader(const CifToken& token) {
    if (_mode != Mode::InBlock) {
        _OnStray(token, "save_");
        return;
    }
    _FinishPending();
    if (_inFrame) {
        _Error(_frameLine, "save frame " + ShownValue(_frameName) + " is not closed");
        _CloseFrame();
    }
    _inFrame = true;
    _frameName.assign(token.text.data(), token.text.size());
    _frameLine = token.line;
}

void ParseRun::_OnSaveEnd(const CifToken& token) {
    if (_mode != Mode::InBlock) {
        _OnStray(token, "save_");
        return;
    }
    _FinishPending();
    if (!_inFrame) {
        _Error(token.line, "save_ without an open save frame");
        return;
    }
    _CloseFrame();
}

void ParseRun::_CloseFrame() {
    // The key of a category's frame is its _category.id, when the frame gives one.
    _frameKey = _frameName;
    if (!IsItemFrame(_frameName)) {
        for (const ScopeCategory* category : _frameEntries) {
            if (category->buffer->name != "category") {
                continue;
            }
            if (category->nvRow != kNoRow) {
                const CategoryBuffer& buffer = *category->buffer;
                const unsigned int idCol = buffer.Find("id");
                if (idCol != CategoryBuffer::kNoColumn && category->IsGiven(idCol)) {
                    _frameKey = buffer.RowAt(category->nvRow)[idCol];
                }
            }
            break;
        }
    }
    for (const ScopeCategory* entry : _frameEntries) {
        entry->keys.Fill(*entry->buffer, entry->firstRow, entry->given, _frameName, _frameKey);
    }
    _frameEntries.clear();
    ++_frameNumber;
    _inFrame = false;
}

CategoryBuffer& ParseRun::_BufferFor(std::string_view category) {
    const auto found = _bufferIndex.find(category);
    if (found != _bufferIndex.end()) {
        return *found->second;
    }
    _buffers.push_back(std::make_unique<CategoryBuffer>(std::string(category)));
    CategoryBuffer* buffer = _buffers.back().get();
    _bufferIndex.emplace(buffer->name, buffer);
    return *buffer;
}

ScopeCategory& ParseRun::_ScopeEntry(Scope& scope, std::string_view category, bool& created) {
    const bool frame = &scope == &_frameScope;
    ScopeCategory* const last = &scope == _lastScope ? _lastEntry : nullptr;
    ScopeCategory* entry = nullptr;
    created = false;
    if (last != nullptr && category == last->buffer->name) {
        entry = last;
    } else if (last != nullptr && last->next != nullptr && category == last->next->buffer->name) {
        // The frames of a dictionary give their categories in much the same
        // order: the category that followed the last one before is tried
        // before the hash lookup (2% fewer instructions reading the PDBx
        // dictionary).
        entry = last->next;
    } else {
        const auto found = scope.find(category);
        if (found != scope.end()) {
            entry = &found->second;
        } else {
            CategoryBuffer& buffer = _BufferFor(category);
            entry = &scope.emplace(buffer.name, ScopeCategory()).first->second;
            entry->buffer = &buffer;
            entry->firstRow = buffer.NumRows();
            if (frame) {
                entry->frame = _frameNumber;
                entry->keys = ImplicitFrameKeys(buffer.name);
                _frameEntries.push_back(entry);
            }
            created = true;
        }
    }
    if (frame && entry->frame != _frameNumber) {
        // The entry of an earlier frame, made new for this one.
        entry->looped = false;
        entry->firstRow = entry->buffer->NumRows();
        entry->nvRow = kNoRow;
        std::fill(entry->given.begin(), entry->given.end(), false);
        entry->frame = _frameNumber;
        _frameEntries.push_back(entry);
        created = true;
    }
    if (last != nullptr && last != entry) {
        last->next = entry;
    }
    _lastScope = &scope;
    _lastEntry = entry;
    return *entry;
}

void ParseRun::_FinishBlock() {
    if (_block != nullptr) {
        const std::string unset(1, '?');
        for (const std::unique_ptr<CategoryBuffer>& buffer : _buffers) {
            auto table = std::make_unique<ISTable>(buffer->name, CaseSensitive);
            const std::size_t width = buffer->columns.size();
            table->AddColumns(std::move(buffer->columns));
            for (std::vector<CategoryBuffer::Row>& rows : buffer->TakeRows()) {
                for (CategoryBuffer::Row& row : rows) {
                    if (row.size() < width) {
                        row.resize(width, unset);
                    }
                }
                table->AppendRows(std::move(rows));
            }
            _block->WriteTable(table.get());
            table.release();
        }
    }
    _block = nullptr;
    // The scopes and the index first: their keys are the buffers' names.
    _blockScope.clear();
    _frameScope.clear();
    _frameEntries.clear();
    _bufferIndex.clear();
    _buffers.clear();
    _lastScope = nullptr;
    _lastEntry = nullptr;
}

// Read-only view of a whole file: mapped when possible, else read into memory.
class FileText {
public:
    explicit FileText(const std::string& fileName) {
        _fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
        if (_fd < 0) {
            return;
        }
        struct stat info;
        if (::fstat(_fd, &info) == 0 && S_ISREG(info.st_mode)) {
            if (info.st_size == 0) {
                _ok = true;
                return;
            }
            void* map = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ,
                               MAP_PRIVATE, _fd, 0);
            if (map != MAP_FAILED) {
                ::madvise(map, static_cast<std::size_t>(info.st_size), MADV_SEQUENTIAL);
                _map = map;
                _size = static_cast<std::size_t>(info.st_size);
                _ok = true;
                return;
            }
        } else if (::fstat(_fd, &info) == 0 && S_ISDIR(info.st_mode)) {
            return;
        }
        // A pipe or a file that cannot be mapped.
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::read(_fd, chunk, sizeof chunk);
            if (n < 0) {
                return;
            }
            if (n == 0) {
                break;
            }
            _copy.append(chunk, static_cast<std::size_t>(n));
        }
        _ok = true;
    }

    ~FileText() {
        if (_map != nullptr) {
            ::munmap(_map, _size);
        }
        if (_fd >= 0) {
            ::close(_fd);
        }
    }

    FileText(const FileText&) = delete;
    FileText& operator=(const FileText&) = delete;

    bool IsOk() const { return _ok; }
    bool IsMapped() const { return _map != nullptr; }
    const char* Begin() const {
        return _map != nullptr ? static_cast<const char*>(_map) : _copy.data();
    }
    const char* End() const { return Begin() + (_map != nullptr ? _size : _copy.size()); }

private:
    int _fd = -1;
    void* _map = nullptr;
    std::size_t _size = 0;
    std::string _copy;
    bool _ok = false;
};

}  // namespace

CifParser::CifParser(CifFile& cifFile) : _cifFile(cifFile) {}

void CifParser::_ParseBuffer(const char* begin, const char* end, std::string& diagnostics,
                             bool mapped) {
    diagnostics.clear();
    _log.clear();
    ParseRun run(_cifFile, diagnostics, _log);
    run.Run(begin, end, mapped);
}

void CifParser::Parse(const std::string& fileName, std::string& diagnostics,
                      const std::string& logFileName) {
    const FileText text(fileName);
    if (!text.IsOk()) {
        throw NotFoundException("File \"" + fileName + "\" cannot be opened", "CifParser::Parse");
    }
    _ParseBuffer(text.Begin(), text.End(), diagnostics, text.IsMapped());
    std::string logName = logFileName;
    if (logName.empty()) {
        MirtFile::GetBaseName(logName, fileName);
        logName += "-parser.log";
    }
    _WriteLog(logName);
}

void CifParser::ParseString(const std::string& text, std::string& diagnostics,
                            const std::string& logFileName) {
    _ParseBuffer(text.data(), text.data() + text.size(), diagnostics, false);
    if (!logFileName.empty()) {
        _WriteLog(logFileName);
    }
}

void CifParser::_WriteLog(const std::string& logFileName) {
    if (_log.empty()) {
        // Nothing to say: no log, and no stale one from an earlier run. Only a
        // regular file is the parser's to remove.
        MirtFile::RemoveRegularFile(logFileName);
        return;
    }
    if (!MirtFile::WriteNoFollow(logFileName, _log)) {
        // The log is secondary to the data; say so instead of failing the read.
        std::cerr << "CifParser: cannot write the log file \"" << logFileName << "\"\n";
    }
}
