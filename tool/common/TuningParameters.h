#ifndef TESRA_TOOL_COMMON_TUNINGPARAMETERS_H
#define TESRA_TOOL_COMMON_TUNINGPARAMETERS_H

// The run's single-precision tuning settings. Fields named tesra_* are set on
// the command line as tesra_key=value; the others have no key and keep their
// defaults. One record per run: `tuning` below.
struct TuningParameters {
    float tesra_planesplit_sigma = 0.02f;

    // X-H bond lengths of the nucleus model.
    float tesra_bondCH = 1.089f;
    float tesra_bondNH = 1.015f;
    float tesra_bondOH = 0.993f;
    float tesra_bondSH = 1.338f;
    float tesra_bondPH = 1.42f;

    // X-H bond lengths and sigmas of the electron-cloud model (no keys).
    float ecloud_bondCH = 0.979f;
    float ecloud_bondNH = 0.883f;
    float ecloud_bondOH = 0.85f;
    float ecloud_bondSH = 1.218f;
    float ecloud_bondPH = 1.3f;
    float ecloud_bondBH = 1.12f;
    float ecloud_bondSEH = 1.21f;
    float ecloud_sigmaCH = 0.015f;
    float ecloud_sigmaNH = 0.02f;
    float ecloud_sigmaOH = 0.02f;
    float ecloud_sigmaSH = 0.02f;
    float ecloud_sigmaPH = 0.02f;
    float ecloud_sigmaBH = 0.02f;
    float ecloud_sigmaSEH = 0.02f;

    float tesra_hbond_sigma = 0.02f;
    float tesra_hbond_default = 1.05f;
    float ecloud_fallback_sigma = 0.02f;
    float ecloud_fallback_length = 1.0f;

    float tesra_trigonal_threshold = 350.0f;
    float tesra_tors_atleast = 20.0f;
    float tesra_tors_planeprob = 0.9f;
    float tesra_tors_3060prob = 0.9f;
    float tesra_tors_unimodprob = 0.95f;
    float tesra_bond_atleast = 10.0f;
    float tesra_bond_sigdev = 3.0f;
    float tesra_angle_atleast = 10.0f;
    float tesra_angle_sigdev = 3.0f;
    float tesra_tors_cistrans_sigma = 10.0f;
    float tesra_quantum_bond_sigma = 0.03f;
    float tesra_quantum_angle_sigma = 3.0f;
};

// The run's tuning record, set to its defaults before the command line is read.
inline TuningParameters tuning;

// The run's verbosity level: 0, raised by one for each "-verbose".
inline int verbosity = 0;

#endif
