// gemmi's C++ reader and writer on one file, for cif_bench: reads the input
// into a gemmi::cif::Document, writes it in gemmi's default style, frees it,
// and prints "parse write free" processor seconds, the same three in wall
// seconds, and the peak resident memory in kilobytes, all on one line.
//
//   gemmi_cif_peer input.cif output.cif
#include <cstdio>
#include <fstream>
#include <gemmi/cif.hpp>
#include <gemmi/to_cif.hpp>
#include <memory>

#include "../BenchSupport.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gemmi_cif_peer input.cif output.cif\n");
        return 2;
    }
    try {
        CpuClock clock;
        auto doc = std::make_unique<gemmi::cif::Document>(gemmi::cif::read_file(argv[1]));
        const Lap parse = clock.Next();
        {
            std::ofstream out(argv[2], std::ios::binary);
            gemmi::cif::write_cif_to_stream(out, *doc);
        }
        const Lap write = clock.Next();
        doc.reset();
        const Lap free = clock.Next();
        std::printf("%.6f %.6f %.6f %.6f %.6f %.6f %ld\n", parse.cpu, write.cpu, free.cpu,
                    parse.wall, write.wall, free.wall, PeakMemoryKb());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gemmi: %s\n", e.what());
        return 1;
    }
    return 0;
}
