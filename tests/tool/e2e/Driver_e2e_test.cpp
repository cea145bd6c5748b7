// The run as a whole: normal runs, every way a run fails with its status and
// message, and comments kept in place.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "tool/ToolTestSupport.h"

#ifdef TESRA_ROVIDEV_BIN
namespace {

using namespace tooltest;

const char* const normal_end = " ... Normal Termination ... ";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const std::string pdb_line =
    "HETATM    1  PA  ATP A   1       1.000   2.000   3.000  1.00  0.00           P\n";

const std::string small =
    "data_comp_list\n"
    "loop_\n_chem_comp.id\n_chem_comp.three_letter_code\nLIG LIG\n"
    "data_comp_LIG\n"
    "loop_\n_chem_comp_atom.comp_id\n_chem_comp_atom.atom_id\nLIG PA\nLIG O1\nLIG C1\nLIG C2\n";

TEST(DriverEndToEnd, NormalRuns) {
    ScratchDir dir;
    dir.write("a.pdb", pdb_line);
    RunResult r = run_tool(dir.path(), "transcribe-coords " + monomer("ATP") + " a.pdb out.cif");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(r.out.empty());  // banner
    EXPECT_FALSE(contains(r.out, normal_end));
    EXPECT_TRUE(contains(r.err, normal_end));

    // Silent; -allparams; an empty loop removed with its warning; the output
    // replacing the input, which keeps its permissions.
    dir.write("d.cif", small + "loop_\n_chem_comp_tor.id\n_chem_comp_tor.atom_id_1\n");
    ASSERT_EQ(chmod(dir.file("d.cif").c_str(), 0640), 0);
    r = run_tool(dir.path(),
                 "-silent transcribe-coords -allparams d.cif a.pdb d.cif tesra_bondCH=1.25");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "[W004] File contains empty loops; removing them\n");
    EXPECT_TRUE(contains(r.out, "tesra_bondCH=1.25\ntesra_bondNH=1.015\n"));
    EXPECT_TRUE(contains(r.out, "tesra_quantum_angle_sigma=3\n"));
    const std::string text = read_text(dir.file("d.cif"));
    EXPECT_TRUE(contains(text, "3.000") && contains(text, "O1")) << text;
    EXPECT_FALSE(contains(text, "chem_comp_tor"));
    EXPECT_EQ(std::filesystem::status(dir.file("d.cif")).permissions(),
              std::filesystem::perms(0640));
    r = run_tool(dir.path(), "override d.cif o.cif");  // no bond or angle table: nothing to do
    EXPECT_EQ(r.status, 0) << r.err;
    // Nothing but the inputs and the outputs is left behind.
    Words names;
    for (const auto& file : contents(dir)) names.push_back(file.first);
    EXPECT_EQ(names, (Words{"a.pdb", "d.cif", "o.cif", "out.cif"}));
}

// Every failure of a run: its status, its message on standard error, and no
// output or temporary file left behind. Side files with nan, inf or a number
// beyond float (1e39) are refused by every reader, as are a directory given as
// the Mogul results, a missing hybridisation file and a table without the
// column an operation rewrites.
TEST(DriverEndToEnd, FailuresAndTheirStatuses) {
    ScratchDir dir;
    dir.write("a.pdb", pdb_line);
    dir.write("nan.pdb", "HETATM    1  PA  ATP A   1       1.000     nan   3.000  1.00  0.00\n");
    dir.write("small.cif", small);
    dir.write("first.cif",
              "data_comp_LIG\n_chem_comp_atom.atom_id PA\ndata_comp_list\n_chem_comp.id LIG\n");
    dir.write("three.cif", small + "data_comp_XYZ\n_chem_comp_atom.atom_id C1\n");
    dir.write("nolist.cif",
              "data_comp_list\n_other.id 1\ndata_comp_LIG\n_chem_comp_atom.atom_id PA\n");
    dir.write("noid.cif",
              "data_comp_list\n_chem_comp.name x\ndata_comp_LIG\n_chem_comp_atom.atom_id PA\n");
    dir.write("noblock.cif",
              "data_comp_list\n_chem_comp.id ABC\ndata_comp_LIG\n_chem_comp_atom.atom_id PA\n");
    dir.write("noatoms.cif",
              "data_comp_list\n_chem_comp.id LIG\ndata_comp_LIG\n_chem_comp_bond.atom_id_1 PA\n");
    dir.write("broken.cif", "data_comp_list\nloop_\n_chem_comp.id\n_chem_comp.name\nLIG\n");
    dir.write("bonds.cif",
              small + "loop_\n_chem_comp_bond.atom_id_1\n_chem_comp_bond.value_dist\nPA 1.5\n");
    dir.write("list.txt", listing_record("TESRA-BOND", "1.5", {"PA", "O1"}) + "\n");
    dir.write("bad.dat", "BOND CH2 CH2 1.5\n");
    dir.write("bad-mogul.txt",
              "TORSION 1 query - 180.0 - atoms PA O1 C1 C2\nSTATS 5\n"
              "DISTRIBUTION -180 180 20 18 counts 5\n");
    // comp_list names a second compound whose block is missing, after one that is there.
    std::string two = read_text(monomer("ATP"));
    two.insert(two.find('\n', two.find("\nATP ") + 1) + 1, "XYZ XYZ 'X' non-polymer 1 1 .\n");
    dir.write("two.cif", two);
    const std::string tsz = read_text(monomer("TSZ"));
    dir.write("tsz.cif", tsz);
    dir.write("mogul.txt", read_text(data_path("mogul/TSZ-mogul.txt")));
    dir.write("empty.txt", "");
    dir.write("e.dat", "BOND NH2 C 1.4 0.01\n");
    dir.write("noesd.cif", std::string(tsz).replace(tsz.find("value_dist_esd"), 14, "value_sd"));
    dir.write("noval.cif", std::string(tsz).replace(tsz.find("value_dist\n"), 10, "value"));
    dir.write("nan-m.txt", "BOND 1 query 1.3 atoms N1 C\nSTATS 150 nan 0 9 1.3 0.004\n");
    dir.write("big-m.txt", "ANGLE 1 query - 120 atoms S C N1\nSTATS 300 121.7 0 180 121.7 1e39\n");
    dir.write("inf-m.txt",
              "TORSION 1 q - 1 - atoms S C N2 N3\nSTATS 64\nDISTRIBUTION 0 180 10 "
              "18 counts 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 4 inf\n");
    dir.write("inf-l.txt", "\nTESRA-BOND   -inf         N1      C\n");
    dir.write("big-l.txt", "TESRA-TOAD  T1|a|N1|b|C|c|N2|d|N3| 180 1e39 3\n");
    dir.write("nan-g.txt", "GEOMETRY TSZ BOND nan 0.02 N1 C\n");
    dir.write("inf-e.dat", "NOTE x\nBOND NH2 C 1.5 inf\n");

    const std::string E = "TESRA_EXCEPTION_DICTIONARY=", ALA = monomer("ALA") + " ";
    const std::string home = "/no/such/home/autoFARNIX/tesra-data/", nf = " is not a finite number";
    const struct {
        std::string env, args;
        int status;
        std::string message;  // expected on standard error
    } cases[] = {
        {"", "transcribe-coords small.cif a.pdb", 1, "Usage:"},
        {"", "transcribe-coords small.cif a.pdb out.cif -bogus", 1, "unknown option \"-bogus\""},
        {"", "transcribe-coords small.cif a.pdb out.cif tesra_bondXX=1", 1, "tesra_bondXX"},
        {"", "transcribe-coords small.cif a.pdb out.cif tesra_bondCH=x", 1, "not a number"},
        {"", "transcribe -planekill abc small.cif l out.cif", 1, "-planekill"},
        {"", "frobnicate small.cif out.cif", 1, "unknown operation \"frobnicate\""},
        {"", "fixnames small.cif out.cif", 1, "fixnames is not provided"},
        {"", "refmacdict2tnt small.cif", 1, "refmacdict2tnt is not provided"},
        {"-u KTW_home", "transcribe-coords small.cif a.pdb out.cif", 1,
         "KTW_home is not set; please check your setup\n\n"},
        {"", "transcribe-coords missing.cif a.pdb out.cif", 1, " Can't find file missing.cif"},
        {"", "transcribe-coords . a.pdb out.cif", 1, " Can't find file ."},
        // The exceptions dictionary is loaded before the input is looked at.
        {E + "/no/such/x.dat", "override missing.cif out.cif", 1, "/no/such/x.dat"},
        {E, "override small.cif out.cif", 1, " Problem opening \n"},
        {"KTW_home=/no/such/home", "override small.cif out.cif", 1, home + "tesra-exceptions.dat"},
        {"KTW_home=/no/such/home", "write-mogdict tsz.cif mogul.txt g", 1,
         " Problem opening hybridisation file " + home + "ccp4_atomtype_hybridisation.dat\n"},
        {"", "transcribe-mogul tsz.cif . out.cif", 1, " Problem reading Mogul results file .\n"},
        {"", "transcribe-mogul tsz.cif nan-m.txt out.cif", 1,
         " Mogul results file nan-m.txt, line 2: \"nan\"" + nf + " - cannot proceed\n"},
        {"", "write-mogdict tsz.cif big-m.txt g v", 1, "big-m.txt, line 2: \"1e39\"" + nf},
        {"", "write-mogdict tsz.cif inf-m.txt g", 1, "inf-m.txt, line 3: \"inf\"" + nf},
        {"", "transcribe tsz.cif inf-l.txt out.cif", 1,
         " restraint listing inf-l.txt, line 2: \"-inf\"" + nf},
        {"", "transcribe tsz.cif big-l.txt out.cif", 1, "big-l.txt, line 1: \"1e39\"" + nf},
        {"", "post-pqm tsz.cif empty.txt out.cif nan-g.txt empty.txt", 1,
         " GEOMETRY restraint file nan-g.txt, line 1: \"nan\"" + nf},
        {E + "inf-e.dat", "override tsz.cif out.cif", 1,
         " exceptions dictionary inf-e.dat, line 2: \"inf\"" + nf},
        {E + "e.dat", "override noesd.cif out.cif", 1,
         " Table chem_comp_bond has no column value_dist_esd; cannot override its values\n"},
        {"", "transcribe-mogul noval.cif mogul.txt out.cif", 1,
         " Table chem_comp_bond has no column value_dist; cannot correct bond lengths\n"},
        {E + dir.file("bad.dat"), "override small.cif out.cif", 93,
         "Can't handle line\n  BOND CH2 CH2 1.5\nin file " + dir.file("bad.dat")},
        {"", "override bonds.cif out.cif", 1, "Table chem_comp_bond has no column atom_id_2"},
        {"", "transcribe-coords " + monomer("HIS") + " a.pdb out.cif", 1,
         "[E001] CIF parser returned diagnostics: "},
        {"", "transcribe-coords broken.cif a.pdb out.cif", 1, "[E001] CIF parser returned "},
        {"", "transcribe-coords first.cif a.pdb out.cif", 3, "[E003]"},
        {"", "transcribe-coords three.cif a.pdb out.cif", 2, "[E002]"},
        {"", "transcribe-coords nolist.cif a.pdb out.cif", 1, "chem_comp not found"},
        {"", "transcribe-coords noid.cif a.pdb out.cif", 1, "no column id"},
        {"", "transcribe-coords noblock.cif a.pdb out.cif", 1, "comp_ABC"},
        {"", "write-qdict two.cif geometry.txt", 1, "comp_XYZ"},  // nothing written for ATP
        {"", "transcribe-coords noatoms.cif a.pdb out.cif", 1,
         " CIF input file doesn't have a chem_comp_atom table - cannot proceed\n"},
        {"", "transcribe-coords small.cif missing.pdb out.cif", 1, "missing.pdb"},
        {"", "transcribe-coords small.cif nan.pdb out.cif", 1,
         "atom PA a coordinate that is not a finite number"},
        {"", "transcribe-coords small.cif a.pdb no/such/dir/out.cif", 1, "no/such/dir/out.cif"},
        {"", "transcribe small.cif missing.txt out.cif", 1,
         " Problem opening restraint listing missing.txt"},
        {"", "transcribe small.cif list.txt out.cif", 255, " No bond table in input CIF!\n"},
        {"", "post-pqm " + ALA + "list.txt out.cif no-GEOMETRY no-VETO", 1, "no-GEOMETRY"},
        {"", "transcribe-mogul small.cif absent.txt out.cif", 1,
         " Can't open Mogul results file absent.txt\n"},
        {"", "transcribe-mogul small.cif bad-mogul.txt out.cif", 11,
         " This is odd: distribution line\nDISTRIBUTION -180 180 20 18 counts 5 \n"},
        {"", "write-mogdict " + ALA + "list.txt no/such/dir/geom", 1,
         " Can't open file no/such/dir/geom for writing"},
        {"", "write-mogdict " + ALA + "list.txt /dev/full", 1, " Error writing file /dev/full"},
        {"", "write-qdict " + ALA + "no/such/dir/q.txt", 1,
         "cannot open output file no/such/dir/q.txt"},
        {"", "write-qdict " + ALA + "/dev/full", 1, "cannot write output file /dev/full"},
        {"", "write-qdict small.cif e.dat", 1,
         " Data table chem_comp_bond not found!"},  // e.dat kept
    };
    const Files inputs = contents(dir);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult r = run_tool(dir.path(), c.args, c.env);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_TRUE(contains(r.err, c.message)) << r.err;
        EXPECT_FALSE(contains(r.err, normal_end));
        EXPECT_FALSE(contains(r.out, c.message));
        EXPECT_EQ(contents(dir), inputs);
    }
}

// The comment lines of a text in order, and for each run of them the first
// word of the line that follows it.
std::pair<Words, Words> comment_layout(const std::string& text) {
    std::pair<Words, Words> layout;
    std::istringstream in(text);
    bool in_run = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] == '#') {
            layout.first.push_back(line);
            in_run = true;
        } else if (in_run) {
            layout.second.push_back(line.substr(0, line.find(' ')));
            in_run = false;
        }
    }
    if (in_run)
        layout.second.push_back("<end>");
    return layout;
}

TEST(DriverEndToEnd, CommentsComeBackInPlaceAfterOneAndTwoPasses) {
    ScratchDir dir;
    dir.write("a.pdb", pdb_line);
    for (const char* code : {"ATP", "ALA", "B49", "TY5"}) {
        SCOPED_TRACE(code);
        RunResult r =
            run_tool(dir.path(), "transcribe-coords " + monomer(code) + " a.pdb once.cif");
        ASSERT_EQ(r.status, 0) << r.err;
        r = run_tool(dir.path(), "transcribe-coords once.cif a.pdb twice.cif");
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string once = read_text(dir.file("once.cif"));
        const auto before = comment_layout(read_text(monomer(code)));
        EXPECT_FALSE(before.first.empty());
        EXPECT_EQ(comment_layout(once), before);
        EXPECT_FALSE(contains(once, "global_"));
        EXPECT_EQ(read_text(dir.file("twice.cif")), once);
    }
}

}  // namespace
#endif
