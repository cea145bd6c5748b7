// The entry points of validation over small dictionaries, then whole runs
// with the real ones.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "foundation/Exceptions.h"
#include "support/Files.h"
#include "support/Thrown.h"
#include "validate/CheckTestSupport.h"

namespace {

// t.n is an int; pdbx_ rows make t.n mandatory and t.id an int. k: two keys,
// a mandatory item listed twice; u: an implicit key beside an implicit-ordinal
// item; w: a key and a mandatory item named without ".".
const std::string kDictionary =
    "data_dict\nloop_\n_category.id\n_category.mandatory_code\nentry yes\nt no\nexptl Yes\n"
    "k no\nu no\natom_sites_alt no\nw no\n"
    "loop_\n_category_key.id\n_category_key.name\nentry '_entry.id'\nt '_t.id'\nk '_k.k1'\n"
    "k '_k.k2'\nu '_u.id'\natom_sites_alt '_atom_sites_alt.id'\nw nodot\n"
    "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n'_entry.id' entry yes\n"
    "'_t.id' t yes\n'_t.n' t no\n'_k.k1' k yes\n'_k.k2' k yes\n'_k.m' k yes\n'_k.m' k yes\n"
    "'_u.id' u implicit\n'_u.x' u implicit-ordinal\n'_atom_sites_alt.id' atom_sites_alt yes\n"
    "nodot w yes\n_item_type.name '_t.n'\n_item_type.code int\n"
    "_item_type_list.code int\n_item_type_list.primitive_code numb\n"
    "_item_type_list.construct '[0-9]+'\n_pdbx_item.name '_t.n'\n_pdbx_item.mandatory_code yes\n"
    "_pdbx_item_type.name '_t.id'\n_pdbx_item_type.code int\n";

const std::string kError = "ERROR - In block \"b\", ";
const std::string kRepeated =
    kError + "in cateogory \"k\", values for key item(s):\n  \"k1\",\n  \"k2\",\n";

std::string Keyed(const std::string& tables) {
    return "data_b\n_entry.id 1\n" + tables;
}

const std::string kClean = "data_b\n_entry.id 1\nloop_\n_t.id\n_t.n\n1 2\n";

// A block with findings of most checks, and its report.
std::string Odd(const std::string& block) {
    return "data_" + block + "\n_z.a 1\nloop_\n_t.id\n_t.n\n? ?\n2 .\n";
}
std::string OddReport(const std::string& block) {
    const std::string error = "ERROR - In block \"" + block + "\", ";
    return "ERROR - category \"entry\" is mandatory, but it is not present in datablock \"" +
           block + "\"\n" + error + "category \"z\" is not defined in the reference file\n" +
           error + "in category \"z\", item \"a\" is not defined in the reference file\n" +
           "ERROR - Key item \"_t.id\" has invalid value \"?\"\n" + error +
           "mandatory item \"_t.id\" has invalid value \"?\"\nWARNING - In block \"" + block +
           "\", in category \"t\", row 1 contains all null values.\n";
}

// The status is 1 exactly when the report is empty. An item's pdbx_ rows
// replace its plain rows. A dictionary without category_key fails at the
// category checks.
TEST(BlockDataChecking, ReportsInOrder) {
    const std::string overlaid = "data_b\n_entry.id 1\nloop_\n_t.id\n_t.n\nx ?\n2 z\n";
    const std::string z =
        kError + "data type pattern of value \"z\" for \"_t.n\" does not match, in row #2\n";
    const struct {
        std::string block;
        bool usePdbxItemTables;
        std::string report;
        std::string dictionary = kDictionary;
    } cases[] = {
        {kClean, true, ""},
        {Odd("b"), false, OddReport("b")},
        {overlaid, false, z},
        {overlaid, true,
         kError + "mandatory item \"_t.n\" has invalid value \"?\" in row: \"_t.id\" == \"x\"\n" +
             kError + "data type pattern of value \"x\" for \"_t.id\" does not match, in row #1\n" +
             z},
        {Odd("b"), false,
         Line("Table \"category_key\" not found in block \"dict\"", "CifFile::_CheckCategories"),
         "data_dict\n_category.id t\n_category.mandatory_code no\n"},
        {Keyed("loop_\n_k.k1\n_k.k2\n_k.m\na b ?\n? b x\n"), false,
         "ERROR - Key item \"_k.k1\" has invalid value \"?\" in row having:\n"
         "  item \"_k.k2\" with value = \"b\"\n" +
             kError +
             "mandatory item \"_k.k1\" has invalid value \"?\" in row: \"_k.k2\" == \"b\"\n" +
             kError +
             "mandatory item \"_k.m\" has invalid value \"?\" in row: \"_k.k1\" == \"a\", "
             "\"_k.k2\" == \"b\"\n"},
        // Row 2 is not reported against row 3; differing case is no repeat.
        {Keyed("loop_\n_k.k1\n_k.k2\n_k.m\na b 1\na b 2\na b 3\nA b 4\n"), false,
         kRepeated + "  in row #1 are repeated in row #2\n" + kRepeated +
             "  in row #1 are repeated in row #3\n"},
        {Keyed("_k.k1 a\n"), false,
         kError + "key item \"k2\" not found in category \"k\"\n" + kError +
             "mandatory item \"k2\" is not in category \"k\"\n" + kError +
             "mandatory item \"m\" is not in category \"k\"\n"},
        // "implicit" is looked at only without "yes" items.
        {Keyed("loop_\n_u.id\n_u.x\n. ?\n"), false,
         "ERROR - Key item \"_u.id\" has invalid value \".\"\n"},
        {Keyed("loop_\n_atom_sites_alt.id\n.\n?\n"), false,
         "ERROR - Key item \"_atom_sites_alt.id\" has invalid value \"?\"\n" + kError +
             "mandatory item \"_atom_sites_alt.id\" has invalid value \"?\"\nWARNING - In block "
             "\"b\", in category \"atom_sites_alt\", row 2 contains all null values.\n"},
        {Keyed("_w.a 1\n"), false,
         kError + "in category \"w\", item \"a\" is not defined in the reference file\n" + kError +
             "key item \"\" not found in category \"w\"\n" + kError +
             "mandatory item \"\" is not in category \"w\"\n"},

    };
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> data = ReadCif(c.block), dict = ReadCif(c.dictionary);
        std::ostringstream out;
        try {
            EXPECT_EQ(c.report.empty(),
                      data->BlockDataChecking(FirstBlock(*data), FirstBlock(*dict), out, false,
                                              c.usePdbxItemTables));
        } catch (const NotFoundException& e) {
            out << e.what();
        }
        EXPECT_EQ(c.report, out.str());
    }
}

// Reports and an empty line are appended; a log left empty is deleted only as
// an empty regular file; what a block reported before a failure stays.
TEST(DataChecking, WritesTheLog) {
    char name[] = "/tmp/tesra-validate-XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(name));
    const std::string dir = name;
    std::string log = dir + "/check.log";
    const auto check = [&](const std::string& data, const std::string& dictionary) {
        return ReadCif(data)->DataChecking(*ReadCif(dictionary), log, false, false);
    };
    const auto text = [&] {
        std::ifstream in(log);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(1, check(kClean, kDictionary));
    EXPECT_FALSE(std::filesystem::exists(log));
    std::ofstream(log) << "earlier\n";
    EXPECT_EQ(0, check(Odd("a") + "data_c\n_entry.id 1\n" + Odd("b"),
                       kDictionary + "data_more\n_x.y 1\ndata_last\n_x.y 1\n"));
    EXPECT_EQ(1, check(kClean, kDictionary));
    EXPECT_EQ(0, check("", kDictionary));
    const std::string logged = "earlier\nWARNING - dictionary has 3 datablocks\n" + OddReport("a") +
                               "\n" + OddReport("b") + "\n";
    EXPECT_EQ(logged, text());
    EXPECT_EQ(Throws("EmptyValueException", "Invalid CIF item \"bad\"",
                     "CifString::GetCategoryFromCifItem"),
              Thrown([&] {
                  check("data_b\n_category.id x\n_item.name bad\n_item.category_id x\n",
                        kDictionary);
              }));
    EXPECT_EQ(logged + OddReport("b").substr(0, OddReport("b").find('\n') + 1) + "\n", text());
    std::filesystem::remove(log);
    std::ofstream(dir + "/target").close();
    std::filesystem::create_symlink(dir + "/target", log);
    EXPECT_EQ(1, check(kClean, kDictionary));
    EXPECT_TRUE(std::filesystem::is_symlink(log));
    EXPECT_TRUE(std::filesystem::exists(dir + "/target"));
    log = dir + "/missing/check.log";
    EXPECT_EQ(
        Throws("FileException",
               "Cannot open log file \"" + log + "\" for appending: No such file or directory",
               "CifFile::DataChecking"),
        Thrown([&] { check(kClean, kDictionary); }));
    std::filesystem::remove_all(dir);
}

// A log that cannot take the findings ends the run, naming the log and the
// reason: a full device, and a file that reaches its size limit after the
// first blocks were written. Each case runs in a child process, so that no
// limit stays on this one.
TEST(DataChecking, FailedWritesThrow) {
    const ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    const struct {
        std::string log;
        rlim_t limit;
        std::string reason;
    } cases[] = {{"/dev/full", RLIM_INFINITY, "No space left on device"},
                 {dir.file("check.log"), 1024, "File too large"}};
    for (const auto& c : cases) {
        int fds[2];
        ASSERT_EQ(0, ::pipe(fds));
        const pid_t child = ::fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit = {c.limit, c.limit};
            const std::string thrown = Thrown([&] {
                ::setrlimit(RLIMIT_FSIZE, &limit);
                ReadCif(Odd("a") + Odd("b") + Odd("c") + Odd("d"))
                    ->DataChecking(*ReadCif(kDictionary), c.log, false, false);
            });
            ::_exit(::write(fds[1], thrown.data(), thrown.size()) == ssize_t(thrown.size()) ? 0
                                                                                            : 1);
        }
        ::close(fds[1]);
        std::string thrown(4096, '\0');
        thrown.resize(std::max<ssize_t>(0, ::read(fds[0], &thrown[0], thrown.size())));
        ::close(fds[0]);
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(0, status);
        EXPECT_EQ(Throws("FileException", "Cannot write log file \"" + c.log + "\": " + c.reason,
                         "CifFile::DataChecking"),
                  thrown);
    }
}

// ---- Whole runs with the real dictionaries ----

const std::string kData = TESRA_TEST_DATA_DIR;

CifFile& RealDictionary(const std::string& name) {
    static std::map<std::string, std::unique_ptr<CifFile> > read;
    return *(read[name] ? read[name] : read[name] = ReadCif(kData + "/dict/" + name, true));
}

std::string Check(CifFile& file, const std::string& dictionary) {
    std::ostringstream out;
    CifFile& dict = RealDictionary(dictionary);
    testing::internal::CaptureStdout();
    file.BlockDataChecking(FirstBlock(file), FirstBlock(dict), out, false, false);
    testing::internal::GetCapturedStdout();
    return out.str();
}

// Finding lines (not details) counted by kind: quotes become Q, numbers N.
std::string Kinds(const std::string& report) {
    std::map<std::string, int> counts;
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, 2, "  ") != 0) {
            ++counts[std::regex_replace(std::regex_replace(line, std::regex("\"[^\"]*\""), "Q"),
                                        std::regex("[0-9]+"), "N")];
        }
    }
    std::string kinds;
    for (const auto& count : counts) {
        kinds += std::to_string(count.second) + " " + count.first + "\n";
    }
    return kinds;
}

const std::string kUndefined =
    "ERROR - In block Q, category Q is not defined in the reference file\n";
const std::string kUndefinedItem =
    "ERROR - In block Q, in category Q, item Q is not defined in the reference file\n";

// 1aki uses a category newer than the dictionary; in 1l2y the N-terminal
// H1 and H3 of each of 38 models are no chem_comp_atom of ASN.
TEST(PdbxDictionaryChecks, RealEntries) {
    const std::pair<const char*, std::string> cases[] = {
        {"1aki", "1 " + kUndefined + "27 " + kUndefinedItem},
        {"1l2y",
         "76 ERROR PARCHILD Q - In block Q, in category Q, in row# N, unmatched value in the "
         "parent Q\n"},
        {"3o5r", ""},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> file = ReadCif(kData + "/mmcif/" + c.first + ".cif", true);
        EXPECT_EQ(c.second, Kinds(Check(*file, "mmcif_pdbx.dic"))) << c.first;
    }
}

std::string NewLines(const std::string& report, const std::string& baseline) {
    std::map<std::string, int> old;
    std::istringstream in(baseline), lines(report);
    std::string added, line;
    while (std::getline(in, line)) {
        ++old[line];
    }
    while (std::getline(lines, line)) {
        added += old[line]-- > 0 ? "" : line + "\n";
    }
    return added;
}

// Counted by hand: struct_conf's relation, stated twice, reports once;
// chem_comp_bond's chem_comp relation has no group row; "single" is no
// ucode; uchar "y" passes as "Y"; "-8.9O1" part-matches, naming the alias;
// model number 0 is outside the range (0, .).
TEST(PdbxDictionaryChecks, SeededEntryGivesTheCountedFindings) {
    std::unique_ptr<CifFile> file = ReadCif(kData + "/mmcif/1l2y.cif", true);
    const std::string baseline = Check(*file, "mmcif_pdbx.dic");
    for (const char* seed :
         {"struct_conf 0 beg_auth_seq_id 99", "chem_comp_bond 1 comp_id XXX",
          "chem_comp_bond 1 value_order single", "atom_site 0 Cartn_x -8.9O1",
          "chem_comp_atom 0 pdbx_aromatic_flag y", "atom_site 1 pdbx_PDB_model_num 0"}) {
        const Strings s = Split(seed);
        FirstBlock(*file).GetTablePtr(s[0])->UpdateCell(std::stoul(s[1]), s[2], s[3]);
    }

    const std::string head = "ERROR - In block \"1L2Y\", ";
    EXPECT_EQ(
        Unmatched("1L2Y", "struct_conf:atom_site:1", "struct_conf", 1, "atom_site",
                  "beg_auth_asym_id>auth_asym_id=A beg_auth_comp_id>auth_comp_id=ASN "
                  "beg_auth_seq_id>auth_seq_id=99 beg_label_comp_id>label_comp_id=ASN "
                  "beg_label_seq_id>label_seq_id=1 beg_label_asym_id>label_asym_id=A") +
            "BIG TROUBLE; linkGroupId not found!\n" +
            Unmatched("1L2Y", "", "chem_comp_bond", 2, "chem_comp", "comp_id>id=XXX") +
            Unmatched("1L2Y", "chem_comp_bond:chem_comp_atom:1", "chem_comp_bond", 2,
                      "chem_comp_atom", "comp_id>comp_id=XXX atom_id_1>atom_id=N") +
            Unmatched("1L2Y", "chem_comp_bond:chem_comp_atom:2", "chem_comp_bond", 2,
                      "chem_comp_atom", "comp_id>comp_id=XXX atom_id_2>atom_id=H") +
            head +
            "for \"_chem_comp_bond.value_order\", value \"single\" is not defined in the "
            "enumeration list. Acceptable values are: \"sing\", \"doub\", \"trip\", \"quad\", "
            "\"arom\", \"poly\", \"delo\", \"pi\"\n" +
            head +
            "in item \"_atom_site.Cartn_x\" (its alias is: \"_atom_site_Cartn_x\"), in row #1, "
            "value \"-8.9O1\" does not correspond to item's type. The expected type is "
            "\"float\".\n" +
            head + "value \"0\" for \"_atom_site.pdbx_PDB_model_num\" is out of range, in row #2\n",
        NewLines(Check(*file, "mmcif_pdbx.dic"), baseline));
}

// Null keys from item_range's "." bounds, items defined in several frames,
// pdbx_ names the DDL lacks; every untyped item gets its parents' code.
TEST(PdbxDictionaryChecks, TheDictionaryAsData) {
    std::unique_ptr<CifFile> file = ReadCif(kData + "/dict/mmcif_pdbx.dic", true);
    EXPECT_EQ("18 " + kUndefined + "57 " + kUndefinedItem +
                  "422 ERROR - In block Q, in cateogory Q, values for key item(s):\n"
                  "443 ERROR - Key item Q has invalid value Q in row having:\n",
              Kinds(Check(*file, "mmcif_ddl.dic")));
    EXPECT_EQ(5955u + 468u, FirstBlock(*file).GetTablePtr("item_type")->GetNumRows());
}

}  // namespace
