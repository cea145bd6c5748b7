// The side files of the operations (Mogul results, restraint listings, GEOMETRY
// and VETO-PLANEBOND files, the exceptions dictionary, the hybridisation table)
// and the files written beside the dictionary, end to end on TSZ. Refused side
// files (non-finite numbers, a directory, a missing column) are rows of the
// driver's status matrix.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "tool/ToolTestSupport.h"

#ifdef TESRA_ROVIDEV_BIN
namespace {

using namespace tooltest;

const std::string kMogul = read_text(TESRA_TEST_DATA_DIR "/mogul/TSZ-mogul.txt");
const std::string kHyb = "home/autoFARNIX/tesra-data/ccp4_atomtype_hybridisation.dat";

// TSZ as in.cif, then the files given (which may replace it).
void put(const ScratchDir& dir, const Files& files) {
    std::filesystem::create_directories(dir.file("home/autoFARNIX/tesra-data"));
    dir.write("in.cif", read_text(monomer("TSZ")));
    for (const auto& file : files) dir.write(file.first, file.second);
}

std::string crlf(std::string text) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.insert(at, "\r");
    return text;
}

// A side file with CRLF line ends is read as the same file with LF ends.
TEST(SideFilesEndToEnd, CarriageReturnsBeforeLineFeedsChangeNothing) {
    const std::string listing =
        "TESRA-BOND   1.25         N1      C\n"
        "TESRA-ANGL   123.4        S       C       N1\n";
    const struct {
        std::string args;
        Files files;
        std::string marker;  // in the LF run's messages or outputs
    } cases[] = {
        {"transcribe-mogul in.cif m o", {{"m", kMogul}}, "N1-C bond length corrected to 1.318"},
        {"write-mogdict in.cif m g v", {{"m", kMogul}}, "GEOMETRY TSZ BOND 1.318 0.004 N1 C"},
        {"transcribe in.cif l o", {{"l", listing}}, "123.4"},
        {"post-pqm in.cif l o g v",
         {{"l", "TESRA-PLNR  qmf1|x|S|x|C|x|N1|x|N2|\n"},
          {"g", "GEOMETRY TSZ BOND 1.111 0.011 N1 C\n"},
          {"v", "VETO-PLANEBOND C N1\n"}},
         "mogul has vetoed it"},
        {"override in.cif o", {{"e.dat", "NOTE x\n\nBOND NH2 C 1.42 0.011\n"}}, "1.420"},
        {"write-mogdict in.cif m g",
         {{"m", kMogul}, {kHyb, "sp3 NH2\nsp3 NH1\n"}},
         "for 2 atom types"},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.marker);
        const std::string env = std::string("TESRA_EXCEPTION_DICTIONARY=e.dat") +
                                (c.files.count(kHyb) ? " KTW_home=home" : "");
        std::string runs[2];
        for (const bool with_cr : {false, true}) {
            Files files = c.files;
            for (auto& file : files) file.second = with_cr ? crlf(file.second) : file.second;
            put(dir, files);
            const RunResult r = run_tool(dir.path(), c.args, env);
            std::string& run = runs[with_cr];
            run = std::to_string(r.status) + "\n" + r.out + r.err;
            for (const auto& file : contents(dir))
                if (files.count(file.first) == 0)
                    run += file.first + ":\n" + file.second;
            std::filesystem::remove_all(dir.path());
            std::filesystem::create_directory(dir.path());
        }
        EXPECT_NE(runs[0].find(c.marker), std::string::npos) << runs[0];
        EXPECT_EQ(runs[1], runs[0]);
    }
}

// Records naming atoms that TSZ lacks are skipped with a warning naming them.
TEST(SideFilesEndToEnd, RecordsOfOtherCompoundsAreSkipped) {
    const std::string planar =
        "TORSION 1 q - 1 - atoms Q1 S C N2\nSTATS 64\nDISTRIBUTION 0 180 10 "
        "18 counts 60 4 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n";
    const std::string bond = "BOND 1 query 1.5 atoms Q1 Q2\nSTATS 50 1.4 0 9 1.4 0.01\n";
    const std::string listing =
        "TESRA-PLNR  qmf1|x|Q1|x|C|x|N1|x|N2|\n"
        "TESRA-TOAD  T9|a|Q1|b|C|c|N2|d|N3| 180 10 3\n";
    const std::string m = " Mogul results file m, line 1: ", l = " restraint listing l, line 2: ";
    const std::string skip = " not in the compound; record skipped\n";
    const struct {
        std::string args;
        Files files;
        std::string warning;
        std::string output;  // holds no Q1
    } cases[] = {
        {"write-mogdict in.cif m g", {{"m", planar}}, m + "atom Q1 is" + skip, "g"},
        {"transcribe-mogul in.cif m o", {{"m", bond + planar}}, m + "atoms Q1 Q2 are" + skip, "o"},
        {"post-pqm in.cif l o g v",
         {{"l", listing}, {"g", ""}, {"v", ""}},
         l + "atom Q1 is" + skip,
         "o"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.warning);
        ScratchDir dir;
        put(dir, c.files);
        const RunResult r = run_tool(dir.path(), c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find(c.warning), std::string::npos) << r.err;
        EXPECT_EQ((r.out + read_text(dir.file(c.output))).find("Q1"), std::string::npos);
    }
}

TEST(SideFilesEndToEnd, WarningsAboutAFileAreBounded) {
    ScratchDir dir;
    std::string results =
        "BOND 1 query 1.5 atoms " + std::string(100, 'Q') + " C\nSTATS 50 1.4 0 9 1.4 0.01\n";
    for (int i = 0; i < 1003; ++i)
        results += "BOND 1 query 1.5 atoms S N1\nSTATS 50 1.4 0 9 1.4 0.01\n";
    put(dir, {{"m.txt", results}});
    const RunResult r = run_tool(dir.path(), "-silent transcribe-mogul in.cif m.txt o.cif");
    EXPECT_EQ(r.status, 0);
    const std::string first = " Mogul results file m.txt, line 1: atom " + std::string(40, 'Q') +
                              "... is not in the compound; record skipped\n";
    std::string unable;
    for (int i = 0; i < 999; ++i) unable += "Unable to update bond length S N1\n";
    EXPECT_EQ(r.err, first + unable + " Mogul results file m.txt: 4 more warnings not shown\n");
}

// A write that fails (here on a file size limit, as on a full disk) leaves the
// previous file whole and no temporary file behind.
TEST(SideFilesEndToEnd, FailedWritesKeepThePreviousFile) {
    const struct {
        std::string args, message;
    } cases[] = {
        {"write-mogdict in.cif m.txt g.txt", " Error writing file g.txt\n"},
        {"write-qdict in.cif g.txt", " write_qdict: cannot write output file g.txt\n"},
    };
    struct rlimit unlimited;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    struct rlimit limited = unlimited;
    limited.rlim_cur = 700;  // below the outputs, above the messages
    const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        ScratchDir dir;
        put(dir, {{"m.txt", kMogul}, {"g.txt", "previous\n"}});
        const Files before = contents(dir);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const RunResult r = run_tool(dir.path(), c.args);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &unlimited), 0);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(contents(dir), before);
    }
    std::signal(SIGXFSZ, previous_handler);
}

// The comment keeper reads past a leading byte-order mark as the parser does.
TEST(SideFilesEndToEnd, ByteOrderMarkKeepsTheComments) {
    ScratchDir dir;
    const std::string dictionary =
        "data_comp_list\n# list\nloop_\n_chem_comp.id\n_chem_comp.three_letter_code\nLIG LIG\n"
        "data_comp_LIG\n# atoms\nloop_\n_chem_comp_atom.comp_id\n_chem_comp_atom.atom_id\nLIG PA\n"
        "# second atom\nLIG O1\n";
    dir.write("plain.cif", dictionary);
    dir.write("bom.cif", "\xEF\xBB\xBF" + dictionary);
    dir.write("a.pdb",
              "HETATM    1  PA  LIG A   1       1.000   2.000   3.000  1.00  0.00           P\n");
    for (const std::string name : {"plain", "bom"}) {
        const RunResult r =
            run_tool(dir.path(), "transcribe-coords " + name + ".cif a.pdb " + name + ".out");
        EXPECT_EQ(r.status, 0) << r.err;
    }
    EXPECT_EQ(read_text(dir.file("bom.out")), read_text(dir.file("plain.out")));
}

}  // namespace
#endif
