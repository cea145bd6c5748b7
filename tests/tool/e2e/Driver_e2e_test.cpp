#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "tool/RovidevRun.h"

namespace {

using namespace rovidevtest;

const char* const normal_end = " ... Normal Termination ... ";

// The files in the directory, names only, sorted; parser logs left out.
std::vector<std::string> listing(const ScratchDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 11 || name.compare(name.size() - 11, 11, "-parser.log") != 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const std::string pdb_line =
    "HETATM    1  PA  ATP A   1       1.000   2.000   3.000  1.00  0.00           P\n";

const std::string small_dictionary =
    "data_comp_list\n"
    "loop_\n_chem_comp.id\n_chem_comp.three_letter_code\nLIG LIG\n"
    "data_comp_LIG\n"
    "loop_\n_chem_comp_atom.comp_id\n_chem_comp_atom.atom_id\nLIG PA\nLIG O1\n";

TEST(DriverEndToEnd, NormalRuns) {
    ScratchDir dir;
    write_text(dir.file("a.pdb"), pdb_line);
    RunResult r = run_rovidev(dir, {"transcribe-coords", monomer("ATP"), "a.pdb", "out.cif"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(r.out.empty());  // banner
    EXPECT_FALSE(contains(r.out, normal_end));
    EXPECT_TRUE(contains(r.err, normal_end));

    // Silent; -allparams; an empty loop removed with its warning; the output
    // replacing the input, which keeps its permissions.
    write_text(dir.file("d.cif"),
               small_dictionary + "loop_\n_chem_comp_tor.id\n_chem_comp_tor.atom_id_1\n");
    ASSERT_EQ(chmod(dir.file("d.cif").c_str(), 0640), 0);
    r = run_rovidev(dir, {"-silent", "transcribe-coords", "-allparams", "d.cif", "a.pdb", "d.cif",
                          "tesra_bondCH=1.25"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "[W004] File contains empty loops; removing them\n");
    EXPECT_TRUE(contains(r.out, "tesra_bondCH=1.25\ntesra_bondNH=1.015\n"));
    EXPECT_TRUE(contains(r.out, "tesra_quantum_angle_sigma=3\n"));
    const std::string text = read_text(dir.file("d.cif"));
    EXPECT_TRUE(contains(text, "3.000") && contains(text, "O1")) << text;
    EXPECT_FALSE(contains(text, "chem_comp_tor"));
    EXPECT_EQ(std::filesystem::status(dir.file("d.cif")).permissions(),
              std::filesystem::perms(0640));
    // Nothing but the inputs and the outputs is left behind.
    EXPECT_EQ(listing(dir), (std::vector<std::string>{"a.pdb", "d.cif", "out.cif"}));
}

TEST(DriverEndToEnd, FailuresAndTheirStatuses) {
    ScratchDir dir;
    write_text(dir.file("a.pdb"), pdb_line);
    write_text(dir.file("small.cif"), small_dictionary);
    write_text(dir.file("first.cif"),
               "data_comp_LIG\n_chem_comp_atom.atom_id PA\ndata_comp_list\n_chem_comp.id LIG\n");
    write_text(dir.file("three.cif"),
               small_dictionary + "data_comp_XYZ\n_chem_comp_atom.atom_id C1\n");
    write_text(dir.file("nolist.cif"),
               "data_comp_list\n_other.id 1\ndata_comp_LIG\n_chem_comp_atom.atom_id PA\n");
    write_text(dir.file("noid.cif"),
               "data_comp_list\n_chem_comp.name x\ndata_comp_LIG\n_chem_comp_atom.atom_id PA\n");
    write_text(dir.file("noblock.cif"),
               "data_comp_list\n_chem_comp.id ABC\ndata_comp_LIG\n_chem_comp_atom.atom_id PA\n");
    write_text(dir.file("noatoms.cif"),
               "data_comp_list\n_chem_comp.id LIG\ndata_comp_LIG\n_chem_comp_bond.atom_id_1 PA\n");
    write_text(dir.file("broken.cif"),
               "data_comp_list\nloop_\n_chem_comp.id\n_chem_comp.name\nLIG\n");
    // comp_list names a second compound whose block is missing, after one that is there.
    std::string two = read_text(monomer("ATP"));
    two.insert(two.find('\n', two.find("\nATP ") + 1) + 1, "XYZ XYZ 'X' non-polymer 1 1 .\n");
    write_text(dir.file("two.cif"), two);

    struct Case {
        std::vector<std::string> args;
        Environment env;
        int status;
        std::string message;  // expected on standard error
    };
    const Case cases[] = {
        {{"transcribe-coords", "small.cif", "a.pdb"}, {}, 1, "Usage:"},
        {{"transcribe-coords", "small.cif", "a.pdb", "out.cif", "-bogus"},
         {},
         1,
         "unknown option \"-bogus\""},
        {{"transcribe-coords", "small.cif", "a.pdb", "out.cif", "tesra_bondXX=1"},
         {},
         1,
         "tesra_bondXX"},
        {{"transcribe-coords", "small.cif", "a.pdb", "out.cif", "tesra_bondCH=x"},
         {},
         1,
         "not a number"},
        {{"transcribe", "-planekill", "abc", "small.cif", "l", "out.cif"}, {}, 1, "-planekill"},
        {{"frobnicate", "small.cif", "out.cif"}, {}, 1, "unknown operation \"frobnicate\""},
        {{"fixnames", "small.cif", "out.cif"}, {}, 1, "fixnames is not provided"},
        {{"refmacdict2tnt", "small.cif"}, {}, 1, "refmacdict2tnt is not provided"},
        {{"transcribe-coords", "small.cif", "a.pdb", "out.cif"},
         {{"KTW_home", nullptr}},
         1,
         "KTW_home is not set; please check your setup\n\n"},
        {{"transcribe-coords", "missing.cif", "a.pdb", "out.cif"},
         {},
         1,
         " Can't find file missing.cif"},
        {{"transcribe-coords", ".", "a.pdb", "out.cif"}, {}, 1, " Can't find file ."},
        // The exceptions dictionary is loaded before the input is looked at.
        {{"override", "missing.cif", "out.cif"},
         {{"TESRA_EXCEPTION_DICTIONARY", "/no/such/exceptions.dat"}},
         1,
         "/no/such/exceptions.dat"},
        {{"override", "small.cif", "out.cif"},
         {{"TESRA_EXCEPTION_DICTIONARY", ""}},
         1,
         "Problem opening"},
        {{"override", "small.cif", "out.cif"},
         {{"KTW_home", "/no/such/home"}},
         1,
         "/no/such/home/autoFARNIX/tesra-data/tesra-exceptions.dat"},
        {{"transcribe-coords", monomer("HIS"), "a.pdb", "out.cif"},
         {},
         1,
         "[E001] CIF parser returned diagnostics: "},
        {{"transcribe-coords", "broken.cif", "a.pdb", "out.cif"},
         {},
         1,
         "[E001] CIF parser returned diagnostics: "},
        {{"transcribe-coords", "first.cif", "a.pdb", "out.cif"}, {}, 3, "[E003]"},
        {{"transcribe-coords", "three.cif", "a.pdb", "out.cif"}, {}, 2, "[E002]"},
        {{"transcribe-coords", "nolist.cif", "a.pdb", "out.cif"}, {}, 1, "chem_comp not found"},
        {{"transcribe-coords", "noid.cif", "a.pdb", "out.cif"}, {}, 1, "no column id"},
        {{"transcribe-coords", "noblock.cif", "a.pdb", "out.cif"}, {}, 1, "comp_ABC"},
        {{"write-qdict", "two.cif", "geometry.txt"}, {}, 1, "comp_XYZ"},  // nothing written for ATP
        {{"transcribe-coords", "noatoms.cif", "a.pdb", "out.cif"},
         {},
         1,
         " CIF input file doesn't have a chem_comp_atom table - cannot proceed\n"},
        {{"transcribe-coords", "small.cif", "missing.pdb", "out.cif"}, {}, 1, "missing.pdb"},
        {{"transcribe-coords", "small.cif", "a.pdb", "no/such/dir/out.cif"},
         {},
         1,
         "no/such/dir/out.cif"},
    };
    const std::vector<std::string> inputs = listing(dir);
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& arg : c.args) line += arg + " ";
        const RunResult r = run_rovidev(dir, c.args, c.env);
        EXPECT_EQ(r.status, c.status) << line << "\n" << r.err;
        EXPECT_TRUE(contains(r.err, c.message)) << line << "\n" << r.err;
        EXPECT_FALSE(contains(r.err, normal_end)) << line;
        EXPECT_FALSE(contains(r.out, c.message)) << line;
        // No output and no temporary file is left behind.
        EXPECT_EQ(listing(dir), inputs) << line;
    }
}

// The comment lines of a text in order, and for each run of them the line
// that follows it.
struct CommentLayout {
    std::vector<std::string> comments;
    std::vector<std::string> followers;
};

CommentLayout comment_layout(const std::string& text) {
    CommentLayout layout;
    std::istringstream in(text);
    std::string line;
    bool in_run = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const bool comment = line.find_first_not_of(" \t") != std::string::npos &&
                             line[line.find_first_not_of(" \t")] == '#';
        if (comment) {
            layout.comments.push_back(line);
            in_run = true;
        } else if (in_run) {
            layout.followers.push_back(line.substr(0, line.find(' ')));
            in_run = false;
        }
    }
    if (in_run)
        layout.followers.push_back("<end>");
    return layout;
}

TEST(DriverEndToEnd, CommentsComeBackInPlaceAfterOneAndTwoPasses) {
    ScratchDir dir;
    write_text(dir.file("a.pdb"), pdb_line);
    for (const char* code : {"ATP", "ALA", "B49", "TY5"}) {
        const std::string input = read_text(monomer(code));
        const RunResult first =
            run_rovidev(dir, {"transcribe-coords", monomer(code), "a.pdb", "once.cif"});
        ASSERT_EQ(first.status, 0) << code << first.err;
        const RunResult second =
            run_rovidev(dir, {"transcribe-coords", "once.cif", "a.pdb", "twice.cif"});
        ASSERT_EQ(second.status, 0) << code << second.err;

        const std::string once = read_text(dir.file("once.cif"));
        const CommentLayout before = comment_layout(input);
        const CommentLayout after = comment_layout(once);
        EXPECT_FALSE(before.comments.empty()) << code;
        EXPECT_EQ(after.comments, before.comments) << code;
        EXPECT_EQ(after.followers, before.followers) << code;
        EXPECT_FALSE(contains(once, "global_")) << code;
        EXPECT_EQ(read_text(dir.file("twice.cif")), once) << code;
    }
}

}  // namespace
