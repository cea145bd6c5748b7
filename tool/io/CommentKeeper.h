#ifndef TESRA_TOOL_IO_COMMENTKEEPER_H
#define TESRA_TOOL_IO_COMMENTKEEPER_H

#include <cstddef>
#include <string>
#include <vector>

// Keeps the comment lines of a dictionary across a parse and a rewrite.
//
// strip() takes the comment lines (outside text fields) out of the input, and
// with them a leading global_ section and every loop without values. Each
// removed line is left as a blank line, so the parser's line numbers are those
// of the input. Each run of comment lines is remembered with the element of
// the file that follows it: a data block, a table or a loop row.
//
// restore() puts every run back into the written file directly before the
// line on which that element now starts; when the element no longer exists,
// before one of the next few tables of its block or the next block that
// followed it in the input, or else at the end.
// Running a file through both twice gives the same result as once.
class CommentKeeper {
public:
    // The text for the parser.
    std::string strip(const std::string& input);

    // The written text with the comment runs put back. Restored lines end with
    // a line feed; a carriage return at the end of a comment line is dropped.
    std::string restore(const std::string& written) const;

    // True when strip() removed at least one loop without values.
    bool removed_empty_loops() const { return _removedEmptyLoops; }

    std::size_t run_count() const { return _runs.size(); }

private:
    struct CommentRun {
        std::vector<std::string> lines;    // the run, blank lines between comments included
        std::size_t last_line = 0;         // input line of its last comment
        std::vector<std::string> anchors;  // element keys, nearest first
    };

    friend class CommentCollector;

    std::vector<CommentRun> _runs;
    bool _removedEmptyLoops = false;
};

#endif
