#include "run/CommandLine.h"

#include <gtest/gtest.h>

#include "common/TextHelpers.h"
#include "run/OperationCode.h"
#include "run/TuningKeys.h"
#include "tool/ToolTestSupport.h"

namespace {

struct Parsed {
    RovidevParams params;
    TuningParameters settings;
    int verbosity = 0;
};

Parsed parse(const std::string& args) {
    Parsed parsed;
    parsed.params =
        parse_command_line(tooltest::split_words(args), parsed.settings, parsed.verbosity);
    return parsed;
}

TEST(CommandLine, FilesOptionsAndSettings) {
    Parsed p = parse(
        "-silent -verbose transcribe -planekill 0.25 -thorough in list out tesra_bondCH=1.1 "
        "-verbose -allparams");
    EXPECT_TRUE(p.params.silent && p.params.allparams && p.params.thorough &&
                p.params.planekill_given);
    EXPECT_FLOAT_EQ(p.params.planekill, 0.25f);
    EXPECT_FALSE(p.params.do_bonds || p.params.do_angles);  // -planekill clears both
    EXPECT_EQ(p.verbosity, 2);
    EXPECT_FLOAT_EQ(p.settings.tesra_bondCH, 1.1f);
    EXPECT_EQ(p.params.extradata_filename, "list");

    // General options and settings are taken out first: -planekill still
    // counts as directly after the operation name.
    p = parse("transcribe -verbose tesra_bond_atleast=3 -planekill 0.1 a b c");
    EXPECT_TRUE(p.params.planekill_given);
    EXPECT_FLOAT_EQ(p.params.planekill, 0.1f);

    p = parse("transcribe-coords a=b.cif c.pdb d.cif");  // '=' in a file name
    EXPECT_EQ(p.params.input_filename, "a=b.cif");
    EXPECT_EQ(p.params.extradata_filename, "c.pdb");
    EXPECT_EQ(p.params.output_filename, "d.cif");
    EXPECT_TRUE(p.params.do_bonds && p.params.do_angles);

    p = parse("post-pqm in list out geom veto");
    EXPECT_EQ(p.params.extra2 + p.params.extra3, "geomveto");
    p = parse("write-mogdict-override -ecloud in mogul geom");
    EXPECT_EQ(p.params.operation, OperationCode::WriteMogdict);
    EXPECT_TRUE(p.params.override_mode && p.params.ecloud);
    EXPECT_EQ(p.params.extra2, "");
    p = parse("write-qdict-override in geom");
    EXPECT_EQ(p.params.operation, OperationCode::WriteQdict);
    EXPECT_TRUE(p.params.override_mode);
    EXPECT_FALSE(parse("write-qdict in geom").params.override_mode);
}

TEST(CommandLine, EveryTuningKeySetsItsOwnField) {
    EXPECT_EQ(tuning_keys().size(), 20u);
    for (const TuningKey& key : tuning_keys()) {
        const Parsed p = parse("override a b " + std::string(key.key) + "=42.5");
        EXPECT_FLOAT_EQ(p.settings.*key.field, 42.5f) << key.key;
    }
    TuningParameters settings;
    EXPECT_FALSE(set_tuning_value(settings, "ecloud_bondCH", 2.0f));  // no key
}

TEST(CommandLine, UsageErrors) {
    // Command lines separated by ';', the first one empty.
    const std::string cases =
        ";-silent;no-such-operation a b;transcribe-coords in.cif atoms.pdb;"
        "transcribe-coords in.cif atoms.pdb out.cif extra;post-pqm a b c d;"
        "write-mogdict a b c d e;override a;transcribe a b c -fast;"
        "transcribe a b c tesra_no_such_key=1;transcribe a b c tesra_bondCH=1.1x;"
        "transcribe a b c tesra_bondCH=;transcribe a b c tesra_bondCH=nan;"
        "transcribe a b c tesra_bondCH=1e99;transcribe -planekill;transcribe -planekill x a b c;"
        "transcribe -thorough -planekill 0.1 a b c;post-pqm -planekill 0.1 a b c d e;"
        "transcribe-coords -thorough a b c;transcribe-mogul -ecloud a b c";
    EXPECT_EQ(split_string(cases, ";").size(), 20u);
    for (const std::string& args : split_string(cases, ";")) {
        TuningParameters settings;
        int level = 0;
        EXPECT_THROW(parse_command_line(tooltest::split_words(args), settings, level), UsageError)
            << args;
    }
}

}  // namespace
