#include "run/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

#include "run/OperationCode.h"
#include "run/TuningKeys.h"

namespace {

struct Parsed {
    RovidevParams params;
    TuningParameters settings;
    int verbosity = 0;
};

Parsed parse(const std::vector<std::string>& args) {
    Parsed parsed;
    parsed.params = parse_command_line(args, parsed.settings, parsed.verbosity);
    return parsed;
}

TEST(OperationCodes, FixedCodesAndOneNameEach) {
    const std::pair<const char*, int> fixed[] = {
        {"transcribe", 3}, {"transcribe-mogul", 4},        {"write-mogdict", 11},
        {"post-pqm", 12},  {"transcribe-coords", 14},      {"write-qdict", 15},
        {"override", 22},  {"write-mogdict-override", 23}, {"write-qdict-override", 24},
    };
    for (const auto& f : fixed) {
        ASSERT_NE(find_operation(f.first), nullptr) << f.first;
        EXPECT_EQ(static_cast<int>(find_operation(f.first)->code), f.second) << f.first;
    }
    for (std::size_t c = 0; c < operation_count; ++c) {
        const OperationRow& row = operation_table()[c];
        EXPECT_EQ(static_cast<std::size_t>(row.code), c) << row.name;
        EXPECT_EQ(find_operation(row.name), &row);
    }
    EXPECT_EQ(find_operation("Transcribe"), nullptr);
    EXPECT_FALSE(find_operation("refmacdict2tnt")->provided());
}

TEST(CommandLine, FilesOptionsAndSettings) {
    Parsed p = parse({"-silent", "-verbose", "transcribe", "-planekill", "0.25", "-thorough", "in",
                      "list", "out", "tesra_bondCH=1.1", "-verbose", "-allparams"});
    EXPECT_TRUE(p.params.silent && p.params.allparams && p.params.thorough &&
                p.params.planekill_given);
    EXPECT_FLOAT_EQ(p.params.planekill, 0.25f);
    EXPECT_FALSE(p.params.do_bonds || p.params.do_angles);  // -planekill clears both
    EXPECT_EQ(p.verbosity, 2);
    EXPECT_FLOAT_EQ(p.settings.tesra_bondCH, 1.1f);
    EXPECT_EQ(p.params.extradata_filename, "list");

    // General options and settings are taken out first: -planekill still
    // counts as directly after the operation name.
    p = parse(
        {"transcribe", "-verbose", "tesra_bond_atleast=3", "-planekill", "0.1", "a", "b", "c"});
    EXPECT_TRUE(p.params.planekill_given);
    EXPECT_FLOAT_EQ(p.params.planekill, 0.1f);

    p = parse({"transcribe-coords", "a=b.cif", "c.pdb", "d.cif"});  // '=' in a file name
    EXPECT_EQ(p.params.input_filename, "a=b.cif");
    EXPECT_EQ(p.params.extradata_filename, "c.pdb");
    EXPECT_EQ(p.params.output_filename, "d.cif");
    EXPECT_TRUE(p.params.do_bonds && p.params.do_angles);

    p = parse({"post-pqm", "in", "list", "out", "geom", "veto"});
    EXPECT_EQ(p.params.extra2 + p.params.extra3, "geomveto");
    p = parse({"write-mogdict-override", "-ecloud", "in", "mogul", "geom"});
    EXPECT_EQ(p.params.operation, OperationCode::WriteMogdict);
    EXPECT_TRUE(p.params.override_mode && p.params.ecloud);
    EXPECT_EQ(p.params.extra2, "");
    p = parse({"write-qdict-override", "in", "geom"});
    EXPECT_EQ(p.params.operation, OperationCode::WriteQdict);
    EXPECT_TRUE(p.params.override_mode);
    EXPECT_FALSE(parse({"write-qdict", "in", "geom"}).params.override_mode);
}

TEST(CommandLine, EveryTuningKeySetsItsOwnField) {
    EXPECT_EQ(tuning_keys().size(), 20u);
    for (const TuningKey& key : tuning_keys()) {
        const Parsed p = parse({"override", "a", "b", std::string(key.key) + "=42.5"});
        EXPECT_FLOAT_EQ(p.settings.*key.field, 42.5f) << key.key;
    }
    TuningParameters settings;
    EXPECT_FALSE(set_tuning_value(settings, "ecloud_bondCH", 2.0f));  // no key
}

TEST(CommandLine, TuningDefaultsAsListedByAllparams) {
    const TuningParameters defaults;
    std::ostringstream listed;
    print_tuning_settings(listed, defaults);
    EXPECT_EQ(
        listed.str(),
        "tesra_planesplit_sigma=0.02\ntesra_bondCH=1.089\ntesra_bondNH=1.015\ntesra_bondOH=0.993\n"
        "tesra_bondSH=1.338\ntesra_bondPH=1.42\ntesra_hbond_sigma=0.02\ntesra_hbond_default=1.05\n"
        "tesra_trigonal_threshold=350\ntesra_tors_atleast=20\ntesra_tors_planeprob=0.9\n"
        "tesra_tors_3060prob=0.9\ntesra_tors_unimodprob=0.95\ntesra_bond_atleast=10\n"
        "tesra_bond_sigdev=3\ntesra_angle_atleast=10\ntesra_angle_sigdev=3\n"
        "tesra_tors_cistrans_sigma=10\ntesra_quantum_bond_sigma=0.03\ntesra_quantum_angle_sigma="
        "3\n");
}

TEST(CommandLine, UsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"-silent"},
        {"no-such-operation", "a", "b"},
        {"transcribe-coords", "in.cif", "atoms.pdb"},
        {"transcribe-coords", "in.cif", "atoms.pdb", "out.cif", "extra"},
        {"post-pqm", "a", "b", "c", "d"},
        {"write-mogdict", "a", "b", "c", "d", "e"},
        {"override", "a"},
        {"transcribe", "a", "b", "c", "-fast"},
        {"transcribe", "a", "b", "c", "tesra_no_such_key=1"},
        {"transcribe", "a", "b", "c", "tesra_bondCH=1.1x"},
        {"transcribe", "a", "b", "c", "tesra_bondCH="},
        {"transcribe", "a", "b", "c", "tesra_bondCH=nan"},
        {"transcribe", "a", "b", "c", "tesra_bondCH=1e99"},
        {"transcribe", "-planekill"},
        {"transcribe", "-planekill", "x", "a", "b", "c"},
        {"transcribe", "-thorough", "-planekill", "0.1", "a", "b", "c"},
        {"post-pqm", "-planekill", "0.1", "a", "b", "c", "d", "e"},
        {"transcribe-coords", "-thorough", "a", "b", "c"},
        {"transcribe-mogul", "-ecloud", "a", "b", "c"},
    };
    for (const auto& args : bad) {
        TuningParameters settings;
        int level = 0;
        EXPECT_THROW(parse_command_line(args, settings, level), UsageError)
            << (args.empty() ? "" : args[0]) << " ... (" << args.size() << " arguments)";
    }
}

}  // namespace
