// Figures for the table segments: appends, cell updates and searches over
// 1,000,000 rows of 10 columns held in segments of 1000 rows, the way a
// table holds a large CIF category. Prints rows (or operations) per second
// and the peak resident memory.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "table/ITTable.h"

namespace {

const unsigned int NUM_ROWS = 1000000;
const unsigned int NUM_COLUMNS = 10;
const unsigned int SEGMENT_ROWS = 1000;

typedef std::vector<std::string> Row;

void Report(const char* what, double count, double seconds) {
    std::printf("%-52s %10.3f s %14.0f /s\n", what, seconds, count / seconds);
}

std::string Cell(unsigned int row, unsigned int col) {
    // Column 0 repeats every 5000 rows, so equality searches find 200 rows.
    if (col == 0)
        return "atom" + std::to_string(row % 5000);
    return std::to_string(row) + "_" + std::to_string(col);
}

Row MakeRow(unsigned int row) {
    Row cells;
    cells.reserve(NUM_COLUMNS);
    for (unsigned int c = 0; c < NUM_COLUMNS; ++c) cells.push_back(Cell(row, c));
    return cells;
}

std::vector<ITTable> Append(bool byMove, bool indexed, double& seconds) {
    std::vector<ITTable> segments;
    Stopwatch watch;
    for (unsigned int r = 0; r < NUM_ROWS; ++r) {
        if (r % SEGMENT_ROWS == 0) {
            // The first row creates the segment's columns; later rows are
            // appended.
            ITTable segment;
            const Row first = MakeRow(r);
            for (unsigned int c = 0; c < NUM_COLUMNS; ++c) segment.AddColumn(c, Row(1, first[c]));
            if (indexed)
                segment.CreateIndex({0});
            segments.push_back(std::move(segment));
            continue;
        }
        Row row = MakeRow(r);
        if (byMove)
            segments.back().InsertRow(std::move(row));
        else
            segments.back().InsertRow(static_cast<const Row&>(row));
    }
    seconds = watch.Seconds();
    return segments;
}

const char* const kUsage =
    "usage: table_bench\n"
    "Times appends, cell updates and searches over 1,000,000 rows of 10 columns held in\n"
    "segments of 1000 rows (ITTable), and prints the peak resident memory. Takes no\n"
    "arguments.\n";

}  // namespace

int main(int argc, char** argv) {
    Arguments args(argc, argv, kUsage);
    while (args.Next()) {
        args.Refuse();
    }
    std::printf("%u rows x %u columns in segments of %u rows\n\n", NUM_ROWS, NUM_COLUMNS,
                SEGMENT_ROWS);

    {
        Stopwatch watch;
        std::size_t total = 0;
        for (unsigned int r = 0; r < NUM_ROWS; ++r) total += MakeRow(r).size();
        Report("making the rows alone (included below)", NUM_ROWS, watch.Seconds());
        if (total == 0)
            return 1;
    }

    // Each form runs twice: the first run of a process also pays for
    // fetching fresh memory from the system.
    double seconds = 0;
    for (int round = 0; round < 2; ++round) {
        {
            std::vector<ITTable> moved = Append(true, false, seconds);
            Report("append, row moved, no index", NUM_ROWS, seconds);
        }
        {
            std::vector<ITTable> copied = Append(false, false, seconds);
            Report("append, row copied, no index", NUM_ROWS, seconds);
        }
    }

    std::vector<ITTable> segments = Append(true, true, seconds);
    Report("append, row moved, index over column 0", NUM_ROWS, seconds);

    // Cell updates: column 5 belongs to no index, column 0 to one.
    for (const unsigned int col : {5u, 0u}) {
        Stopwatch watch;
        unsigned int n = 0;
        for (ITTable& segment : segments)
            for (unsigned int r = 0; r < segment.GetNumRows(); ++r, ++n)
                segment.UpdateCell(Cell(n + 7, col), col, r);
        Report(col == 0 ? "UpdateCell, indexed column" : "UpdateCell, column without index", n,
               watch.Seconds());
    }

    // Equality searches for 200 values over all segments.
    const unsigned int searches = 200;
    std::size_t found = 0;
    {
        Stopwatch watch;
        for (unsigned int s = 0; s < searches; ++s) {
            const std::string target = Cell(s * 13 + 7, 0);
            for (const ITTable& segment : segments)
                for (unsigned int r = 0; r < segment.GetNumRows(); ++r)
                    if (segment(r, 0) == target)
                        ++found;
        }
        Report("search without index (scan), per search", searches, watch.Seconds());
    }
    std::size_t foundIndexed = 0;
    {
        Stopwatch watch;
        std::vector<unsigned int> result;
        for (unsigned int s = 0; s < searches; ++s) {
            const Row target(1, Cell(s * 13 + 7, 0));
            for (const ITTable& segment : segments) {
                segment.Search(result, target, {0}, 0);
                foundIndexed += result.size();
            }
        }
        Report("search with index, per search", searches, watch.Seconds());
    }
    {
        Stopwatch watch;
        unsigned int hits = 0;
        for (unsigned int s = 0; s < searches; ++s) {
            const Row target(1, Cell(s * 13 + 7, 0));
            for (const ITTable& segment : segments)
                if (segment.FindFirst(target, {0}, 0) < segment.GetNumRows())
                    ++hits;
        }
        Report("FindFirst with index over all segments, per search", searches, watch.Seconds());
    }
    std::printf("rows found: scan %zu, index %zu\n", found, foundIndexed);

    // Middle insertions and deletions renumber one segment's entries.
    {
        ITTable& segment = segments[segments.size() / 2];
        const unsigned int operations = 20000;
        Stopwatch watch;
        for (unsigned int i = 0; i < operations; ++i) {
            segment.InsertRow(10, MakeRow(i));
            segment.DeleteRow(500);
        }
        Report("insert + delete mid-segment (1000 rows, indexed)", operations, watch.Seconds());
    }

    std::printf("\npeak resident memory: %ld MB\n", PeakMemoryKb() / 1024);
    return found == foundIndexed ? 0 : 1;
}
