#include "run/TuningKeys.h"

const std::vector<TuningKey>& tuning_keys() {
#define TESRA_TUNING_KEY(name)         \
    TuningKey {                        \
#name, &TuningParameters::name \
    }
    static const std::vector<TuningKey> keys = {
        TESRA_TUNING_KEY(tesra_planesplit_sigma),
        TESRA_TUNING_KEY(tesra_bondCH),
        TESRA_TUNING_KEY(tesra_bondNH),
        TESRA_TUNING_KEY(tesra_bondOH),
        TESRA_TUNING_KEY(tesra_bondSH),
        TESRA_TUNING_KEY(tesra_bondPH),
        TESRA_TUNING_KEY(tesra_hbond_sigma),
        TESRA_TUNING_KEY(tesra_hbond_default),
        TESRA_TUNING_KEY(tesra_trigonal_threshold),
        TESRA_TUNING_KEY(tesra_tors_atleast),
        TESRA_TUNING_KEY(tesra_tors_planeprob),
        TESRA_TUNING_KEY(tesra_tors_3060prob),
        TESRA_TUNING_KEY(tesra_tors_unimodprob),
        TESRA_TUNING_KEY(tesra_bond_atleast),
        TESRA_TUNING_KEY(tesra_bond_sigdev),
        TESRA_TUNING_KEY(tesra_angle_atleast),
        TESRA_TUNING_KEY(tesra_angle_sigdev),
        TESRA_TUNING_KEY(tesra_tors_cistrans_sigma),
        TESRA_TUNING_KEY(tesra_quantum_bond_sigma),
        TESRA_TUNING_KEY(tesra_quantum_angle_sigma),
    };
#undef TESRA_TUNING_KEY
    return keys;
}

bool set_tuning_value(TuningParameters& settings, const std::string& key, float value) {
    for (const TuningKey& entry : tuning_keys()) {
        if (key == entry.key) {
            settings.*entry.field = value;
            return true;
        }
    }
    return false;
}

void print_tuning_settings(std::ostream& out, const TuningParameters& settings) {
    for (const TuningKey& entry : tuning_keys()) {
        out << entry.key << '=' << settings.*entry.field << '\n';
    }
}
