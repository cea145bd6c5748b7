// Real files read, written in both layouts and read back unchanged.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cif/CifDump.h"
#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "support/Files.h"

namespace {

using Strings = std::vector<std::string>;

std::string Read(CifFile& file, const std::string& path, const std::string& log) {
    std::string diagnostics;
    CifParser(file).Parse(path, diagnostics, log);
    return diagnostics;
}

void RoundTripDirectory(const std::string& dir, unsigned int expectedFiles) {
    ScratchDir temp;
    const std::string out = temp.file("out.cif"), log = temp.file("parser.log");
    Strings files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".cif" || ext == ".dic")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_GE(files.size(), expectedFiles);
    for (const std::string& path : files) {
        CifFile first;
        const std::string diagnostics = Read(first, path, log);
        if (path.find("/HIS.cif") != std::string::npos)
            EXPECT_NE(diagnostics.find("line 1:"), std::string::npos) << diagnostics;
        else
            EXPECT_EQ(diagnostics, "") << path;
        ASSERT_GT(first.GetNumBlocks(), 0u) << path;
        const std::string content = Dump(first, false);
        // As read, then the tool's layout: every table in the loop layout.
        for (const bool looped : {false, true}) {
            if (looped)
                first.SetLoopingAll();
            first.Write(out);
            CifFile second;
            EXPECT_EQ(Read(second, out, log), "") << path;
            ASSERT_EQ(Dump(second, false), content) << path << (looped ? " (looped)" : "");
        }
    }
}

TEST(RoundTripTest, MonomersEntriesAndDictionaries) {
    RoundTripDirectory(data_path("monomers"), 150);
    RoundTripDirectory(data_path("mmcif"), 3);
    RoundTripDirectory(data_path("dict"), 2);
}

}  // namespace
