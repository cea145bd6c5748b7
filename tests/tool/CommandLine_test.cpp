#include <gtest/gtest.h>

#include "CommandLine.h"
#include "OperationCode.h"
#include "TuningKeys.h"

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

int code(OperationCode op) { return static_cast<int>(op); }

TEST(OperationCodes, NamesAndFixedCodes) {
    const std::pair<const char*, OperationCode> fixed[] = {
        {"transcribe", OperationCode::Transcribe},         {"transcribe-mogul", OperationCode::TranscribeMogul},
        {"write-mogdict", OperationCode::WriteMogdict},    {"post-pqm", OperationCode::PostPqm},
        {"transcribe-coords", OperationCode::TranscribeCoords}, {"write-qdict", OperationCode::WriteQdict},
        {"override", OperationCode::Override},             {"write-mogdict-override", OperationCode::WriteMogdictOverride},
        {"write-qdict-override", OperationCode::WriteQdictOverride},
    };
    const int expected[] = {3, 4, 11, 12, 14, 15, 22, 23, 24};
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(operation_code(fixed[i].first), expected[i]) << fixed[i].first;
        EXPECT_EQ(code(fixed[i].second), expected[i]);
    }
    // Every code 0..24 has exactly one name, and the name maps back.
    for (int c = 0; c < operation_count; ++c) {
        EXPECT_FALSE(operation_name(c).empty());
        EXPECT_EQ(operation_code(operation_name(c)), c);
    }
    EXPECT_EQ(operation_code("Transcribe"), -1);
    EXPECT_EQ(operation_code("chirality"), -1);
    EXPECT_FALSE(operation_is_provided(operation_code("fixnames")));
    EXPECT_FALSE(operation_is_provided(operation_code("refmacdict2tnt")));
    EXPECT_TRUE(operation_is_provided(operation_code("transcribe-coords")));
}

TEST(CommandLine, PositionalFilesPerOperation) {
    Parsed p = parse({"transcribe-coords", "in.cif", "atoms.pdb", "out.cif"});
    EXPECT_EQ(p.params.operation, code(OperationCode::TranscribeCoords));
    EXPECT_EQ(p.params.input_filename, "in.cif");
    EXPECT_EQ(p.params.extradata_filename, "atoms.pdb");
    EXPECT_EQ(p.params.output_filename, "out.cif");
    EXPECT_TRUE(p.params.do_bonds && p.params.do_angles);
    EXPECT_FALSE(p.params.override_mode);

    p = parse({"post-pqm", "in.cif", "list", "out.cif", "geom", "veto"});
    EXPECT_EQ(p.params.extra2, "geom");
    EXPECT_EQ(p.params.extra3, "veto");

    p = parse({"write-mogdict", "in.cif", "mogul.out", "geom"});
    EXPECT_EQ(p.params.extra2, "");
    p = parse({"write-mogdict", "-ecloud", "in.cif", "mogul.out", "geom", "veto"});
    EXPECT_EQ(p.params.extra2, "veto");
    EXPECT_TRUE(p.params.ecloud);

    p = parse({"override", "in.cif", "out.cif"});
    EXPECT_TRUE(p.params.override_mode);
    EXPECT_EQ(p.params.operation, code(OperationCode::Override));
    EXPECT_EQ(p.params.output_filename, "out.cif");
    EXPECT_EQ(p.params.extradata_filename, "extradata_filename not set");
    EXPECT_FALSE(p.params.do_bonds);
}

TEST(CommandLine, OverrideFormsRunAsTheirBaseOperation) {
    Parsed p = parse({"write-mogdict-override", "in.cif", "mogul.out", "geom"});
    EXPECT_EQ(p.params.operation, code(OperationCode::WriteMogdict));
    EXPECT_TRUE(p.params.override_mode);
    p = parse({"write-qdict-override", "in.cif", "geom"});
    EXPECT_EQ(p.params.operation, code(OperationCode::WriteQdict));
    EXPECT_TRUE(p.params.override_mode);
    p = parse({"write-qdict", "in.cif", "geom"});
    EXPECT_FALSE(p.params.override_mode);
}

TEST(CommandLine, OptionsFlagsAndTuning) {
    Parsed p = parse({"-silent", "-verbose", "transcribe", "-planekill", "0.25", "-thorough", "a", "b",
                      "c", "tesra_bondCH=1.1", "-verbose", "-allparams", "tesra_tors_atleast=5"});
    EXPECT_TRUE(p.params.silent);
    EXPECT_TRUE(p.params.allparams);
    EXPECT_TRUE(p.params.thorough);
    EXPECT_TRUE(p.params.planekill_given);
    EXPECT_FLOAT_EQ(p.params.planekill, 0.25f);
    EXPECT_FALSE(p.params.do_bonds || p.params.do_angles);
    EXPECT_EQ(p.verbosity, 2);
    EXPECT_FLOAT_EQ(p.settings.tesra_bondCH, 1.1f);
    EXPECT_FLOAT_EQ(p.settings.tesra_tors_atleast, 5.0f);
    EXPECT_FLOAT_EQ(p.settings.tesra_bondNH, 1.015f);  // untouched default

    p = parse({"--silent", "transcribe", "a", "b", "c"});
    EXPECT_TRUE(p.params.silent);
    EXPECT_FALSE(p.params.planekill_given);
    EXPECT_FLOAT_EQ(p.params.planekill, -7.0f);
    EXPECT_TRUE(p.params.do_bonds);

    // An '=' in a file name is not a tuning setting.
    p = parse({"transcribe-coords", "a=b.cif", "c.pdb", "d.cif"});
    EXPECT_EQ(p.params.input_filename, "a=b.cif");
}

TEST(CommandLine, EveryTuningKeyIsSettable) {
    EXPECT_EQ(tuning_keys().size(), 20u);
    for (const TuningKey& key : tuning_keys()) {
        const Parsed p = parse({"override", "a", "b", std::string(key.key) + "=42.5"});
        EXPECT_FLOAT_EQ(p.settings.*key.field, 42.5f) << key.key;
    }
    TuningParameters settings;
    EXPECT_FALSE(set_tuning_value(settings, "ecloud_bondCH", 2.0f));  // keyless
    EXPECT_FLOAT_EQ(settings.ecloud_bondCH, 0.979f);
}

TEST(CommandLine, UsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"-silent"},
        {"-verbose"},
        {"no-such-operation", "a", "b"},
        {"transcribe-coords", "in.cif", "atoms.pdb"},
        {"transcribe-coords", "in.cif", "atoms.pdb", "out.cif", "extra"},
        {"post-pqm", "a", "b", "c", "d"},
        {"write-mogdict", "a", "b"},
        {"write-mogdict", "a", "b", "c", "d", "e"},
        {"override", "a"},
        {"write-qdict", "a", "b", "c"},
        {"transcribe", "a", "b", "c", "-fast"},
        {"transcribe", "a", "b", "c", "tesra_no_such_key=1"},
        {"transcribe", "a", "b", "c", "tesra_bondCH=abc"},
        {"transcribe", "a", "b", "c", "tesra_bondCH="},
        {"transcribe", "a", "b", "c", "tesra_bondCH=1.1x"},
        {"transcribe", "a", "b", "c", "tesra_bondCH=nan"},
        {"transcribe", "a", "b", "c", "tesra_bondCH=1e99"},
        {"transcribe", "-planekill"},
        {"transcribe", "-planekill", "x", "a", "b", "c"},
        {"transcribe", "a", "-planekill", "0.1", "b", "c"},
        {"transcribe", "-thorough", "-planekill", "0.1", "a", "b", "c"},
        {"post-pqm", "-planekill", "0.1", "a", "b", "c", "d", "e"},
        {"transcribe-coords", "-thorough", "a", "b", "c"},
        {"write-qdict", "-ecloud", "a", "b"},
        {"transcribe-mogul", "-ecloud", "a", "b", "c"},
        {"transcribe", "a", "b", "c", "-silent"},
    };
    for (const auto& args : bad) {
        std::string line;
        for (const std::string& arg : args) line += arg + " ";
        TuningParameters settings;
        int level = 0;
        EXPECT_THROW(parse_command_line(args, settings, level), UsageError) << line;
    }
}

TEST(CommandLine, UnprovidedOperationsParseForTheDriverToRefuse) {
    const Parsed p = parse({"fixnames", "in.cif", "out.cif", "whatever"});
    EXPECT_EQ(p.params.operation, code(OperationCode::Fixnames));
    EXPECT_FALSE(operation_is_provided(p.params.operation));
}

}  // namespace
