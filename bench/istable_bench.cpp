// Figures of the table store on the paths every run takes: appending rows
// (as the CIF reader does), reading cells by column name (as the writer
// does), updating cells and searching. Prints rows per second and the peak
// resident memory; asserts nothing.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "table/ISTable.h"

namespace {
const unsigned int NUM_ROWS = 1000000;
const unsigned int NUM_COLUMNS = 10;
const unsigned int NUM_SEARCHES = 20000;

void Report(const char* what, double count, double seconds, const char* unit) {
    std::printf("%-44s %10.3f s  %12.0f %s/s\n", what, seconds, seconds > 0 ? count / seconds : 0.0,
                unit);
}

const char* const kUsage =
    "usage: istable_bench\n"
    "Times appending 1,000,000 rows of 10 columns to a table (ISTable), reading every cell\n"
    "by column name, updating cells and searching, and prints the peak resident memory.\n"
    "Takes no arguments.\n";

}  // namespace

int main(int argc, char** argv) {
    Arguments args(argc, argv, kUsage);
    while (args.Next()) {
        args.Refuse();
    }
    std::vector<std::string> colNames;
    for (unsigned int c = 0; c < NUM_COLUMNS; ++c) {
        colNames.push_back("column_" + std::to_string(c));
    }

    ISTable table("bench", CaseSensitive);
    for (const std::string& name : colNames) {
        table.AddColumn(name, std::vector<std::string>());
    }

    {
        Stopwatch watch;
        for (unsigned int r = 0; r < NUM_ROWS; ++r) {
            std::vector<std::string> row;
            row.reserve(NUM_COLUMNS);
            for (unsigned int c = 0; c < NUM_COLUMNS; ++c) {
                row.push_back("v" + std::to_string(r) + "_" + std::to_string(c));
            }
            table.AddRow(std::move(row));
        }
        Report("append 1,000,000 rows x 10 (rvalue rows)", NUM_ROWS, watch.Seconds(), "rows");
    }
    std::printf("segments: %u, peak memory after appends: %ld kB\n", table.GetNumSegments(),
                PeakMemoryKb());

    {
        Stopwatch watch;
        std::size_t bytes = 0;
        for (unsigned int r = 0; r < NUM_ROWS; ++r) {
            for (const std::string& name : colNames) {
                bytes += table(r, name).size();
            }
        }
        Report("read every cell by column name", NUM_ROWS, watch.Seconds(), "rows");
        std::printf("  (%zu bytes read)\n", bytes);
    }

    {
        Stopwatch watch;
        for (unsigned int r = 0; r < NUM_ROWS; ++r) {
            table.UpdateCell(r, colNames[0], "u" + std::to_string(r));
        }
        Report("UpdateCell every cell of one column", NUM_ROWS, watch.Seconds(), "rows");
    }

    const std::vector<std::string> searchColumns(1, colNames[1]);
    {
        // No index yet: the first search builds one over the column.
        Stopwatch watch;
        const unsigned int row =
            table.FindFirst(std::vector<std::string>(1, "v999999_1"), searchColumns, "");
        Report("FindFirst without an index (builds it)", 1, watch.Seconds(), "searches");
        std::printf("  (found row %u)\n", row);
    }
    {
        Stopwatch watch;
        unsigned long long sum = 0;
        for (unsigned int i = 0; i < NUM_SEARCHES; ++i) {
            const unsigned int r = (i * 7919u) % NUM_ROWS;
            sum += table.FindFirst(std::vector<std::string>(1, "v" + std::to_string(r) + "_1"),
                                   searchColumns, "");
        }
        Report("FindFirst with the index", NUM_SEARCHES, watch.Seconds(), "searches");
        std::printf("  (checksum %llu)\n", sum);
    }
    {
        Stopwatch watch;
        for (unsigned int r = 0; r < NUM_ROWS; r += 10) {
            table.UpdateCell(r, colNames[1], "w" + std::to_string(r));
        }
        Report("UpdateCell of an indexed column", NUM_ROWS / 10, watch.Seconds(), "rows");
    }

    std::printf("peak memory: %ld kB\n", PeakMemoryKb());
    return 0;
}
