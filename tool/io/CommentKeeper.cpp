#include "io/CommentKeeper.h"

#include <algorithm>
#include <unordered_map>

#include "io/CifOutline.h"

namespace {

std::string element_key(OutlineKind kind, const std::string& block, const std::string& table,
                        std::size_t row) {
    std::string key(1, kind == OutlineKind::Block ? 'B' : kind == OutlineKind::Table ? 'T' : 'R');
    key += block;
    if (kind != OutlineKind::Block) {
        key += '\x1f';
        key += table;
    }
    if (kind == OutlineKind::Row) {
        key += '\x1f';
        key += std::to_string(row);
    }
    return key;
}

bool is_blank_line(const std::string& text, const LineSpan& span) {
    for (std::size_t i = span.begin; i < span.begin + span.length; ++i) {
        const char c = text[i];
        if (c != ' ' && c != '\t' && c != '\v' && c != '\f')
            return false;
    }
    return true;
}

void blank_range(std::string& text, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end && i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r')
            text[i] = ' ';
    }
}

// Finds where the written file's elements start and which lines begin inside
// a text field.
class OutputLocator : public OutlineListener {
public:
    OutputLocator(std::unordered_map<std::string, std::size_t>& wanted, std::size_t line_count)
        : _wanted(wanted), _insideTextField(line_count + 1, false) {}

    void element(OutlineKind kind, const std::string& block, const std::string& table,
                 std::size_t row, std::size_t line) override {
        if (kind == OutlineKind::End)
            return;
        const auto found = _wanted.find(element_key(kind, block, table, row));
        if (found != _wanted.end() && found->second == npos)
            found->second = line;
    }

    void text_field(std::size_t first_line, std::size_t last_line) override {
        for (std::size_t line = first_line + 1; line <= last_line && line < _insideTextField.size();
             ++line) {
            _insideTextField[line] = true;
        }
    }

    // The first line at or after `line` that begins outside a text field.
    std::size_t insertion_line(std::size_t line) const {
        while (line < _insideTextField.size() && _insideTextField[line]) ++line;
        return line;
    }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    std::unordered_map<std::string, std::size_t>& _wanted;
    std::vector<bool> _insideTextField;
};

}  // namespace

// Collects the comment runs of the input and the ranges to blank.
class CommentCollector : public OutlineListener {
public:
    CommentCollector(const std::string& text, const std::vector<LineSpan>& lines,
                     std::vector<CommentKeeper::CommentRun>& runs)
        : _text(text), _lines(lines), _runs(runs) {}

    void comment_line(std::size_t line) override {
        if (_open && _only_blank_between(_runs.back().last_line, line)) {
            CommentKeeper::CommentRun& run = _runs.back();
            for (std::size_t l = run.last_line + 1; l <= line; ++l)
                run.lines.push_back(_line_text(l));
            run.last_line = line;
        } else {
            CommentKeeper::CommentRun run;
            run.lines.push_back(_line_text(line));
            run.last_line = line;
            _runs.push_back(std::move(run));
            _open = true;
            _nearest.push_back(_runs.size() - 1);
        }
        comment_lines.push_back(line);
    }

    void element(OutlineKind kind, const std::string& block, const std::string& table,
                 std::size_t row, std::size_t line) override {
        _open = false;
        if (kind == OutlineKind::End) {
            _nearest.clear();
            _fallback.clear();
            return;
        }
        std::string key;
        auto anchor = [&](CommentKeeper::CommentRun& run) {
            if (key.empty())
                key = element_key(kind, block, table, row);
            run.anchors.push_back(key);
        };
        // Rows matter only to runs still looking for their nearest element, so
        // the many rows of a long loop cost nothing for the others.
        if (kind != OutlineKind::Row) {
            std::size_t kept = 0;
            for (const std::size_t index : _fallback) {
                CommentKeeper::CommentRun& run = _runs[index];
                if (kind == OutlineKind::Block || run.anchors.size() < max_anchors)
                    anchor(run);
                if (kind != OutlineKind::Block)
                    _fallback[kept++] = index;
            }
            _fallback.resize(kept);
        }
        std::size_t kept = 0;
        for (const std::size_t index : _nearest) {
            CommentKeeper::CommentRun& run = _runs[index];
            if (run.last_line >= line) {
                // A loop's table start is reported late; it lies before this run.
                _nearest[kept++] = index;
                continue;
            }
            anchor(run);
            if (kind != OutlineKind::Block)
                _fallback.push_back(index);
        }
        _nearest.resize(kept);
    }

    void empty_loop(std::size_t begin, std::size_t end) override {
        blank_ranges.emplace_back(begin, end);
        removed_empty_loops = true;
    }

    void leading_global(std::size_t begin, std::size_t end) override {
        blank_ranges.emplace_back(begin, end);
    }

    std::vector<std::size_t> comment_lines;
    std::vector<std::pair<std::size_t, std::size_t>> blank_ranges;
    bool removed_empty_loops = false;

private:
    bool _only_blank_between(std::size_t from, std::size_t to) const {
        for (std::size_t l = from + 1; l < to; ++l) {
            if (!is_blank_line(_text, _lines[l]))
                return false;
        }
        return true;
    }

    std::string _line_text(std::size_t line) const {
        const LineSpan& span = _lines[line];
        return _text.substr(span.begin, span.length);
    }

    const std::string& _text;
    const std::vector<LineSpan>& _lines;
    std::vector<CommentKeeper::CommentRun>& _runs;
    // A run takes the element that follows it, then, to fall back on, a few
    // later table starts and the next block start.
    static constexpr std::size_t max_anchors = 6;
    std::vector<std::size_t> _nearest;   // runs looking for the element that follows them
    std::vector<std::size_t> _fallback;  // runs taking further table starts and the next block
    bool _open = false;                  // the last run may still grow
};

std::string CommentKeeper::strip(const std::string& input) {
    _runs.clear();
    const std::vector<LineSpan> lines = split_lines(input);
    CommentCollector collector(input, lines, _runs);
    scan_cif_outline(input, collector);
    _removedEmptyLoops = collector.removed_empty_loops;

    std::string stripped = input;
    for (const std::size_t line : collector.comment_lines) {
        blank_range(stripped, lines[line].begin, lines[line].begin + lines[line].length);
    }
    for (const auto& range : collector.blank_ranges)
        blank_range(stripped, range.first, range.second);
    return stripped;
}

std::string CommentKeeper::restore(const std::string& written) const {
    if (_runs.empty())
        return written;
    const std::vector<LineSpan> lines = split_lines(written);

    std::unordered_map<std::string, std::size_t> wanted;
    for (const CommentRun& run : _runs) {
        for (const std::string& key : run.anchors) wanted.emplace(key, OutputLocator::npos);
    }
    OutputLocator locator(wanted, lines.size());
    scan_cif_outline(written, locator);

    // Output line before which each run goes; lines.size() is the end.
    std::vector<std::pair<std::size_t, std::size_t>> placements;  // (line, run index)
    placements.reserve(_runs.size());
    for (std::size_t i = 0; i < _runs.size(); ++i) {
        std::size_t line = lines.size();
        for (const std::string& key : _runs[i].anchors) {
            const std::size_t found = wanted[key];
            if (found != OutputLocator::npos) {
                line = found;
                break;
            }
        }
        placements.emplace_back(locator.insertion_line(line), i);
    }
    std::stable_sort(placements.begin(), placements.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    std::string restored;
    restored.reserve(written.size() + 80 * _runs.size());
    auto put_run = [&](std::size_t index) {
        for (std::string line : _runs[index].lines) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            restored += line;
            restored += '\n';
        }
    };
    std::size_t next = 0;
    for (std::size_t l = 0; l < lines.size(); ++l) {
        while (next < placements.size() && placements[next].first <= l)
            put_run(placements[next++].second);
        restored.append(written, lines[l].begin, lines[l].length + lines[l].terminator);
    }
    if (next < placements.size() && !restored.empty() && restored.back() != '\n' &&
        restored.back() != '\r') {
        restored += '\n';
    }
    while (next < placements.size()) put_run(placements[next++].second);
    return restored;
}
