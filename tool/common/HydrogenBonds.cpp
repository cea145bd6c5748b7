#include "common/HydrogenBonds.h"

#include "common/TuningParameters.h"

ElementTable ecloud_xh_lengths() {
    return {{"C", tuning.ecloud_bondCH},  {"N", tuning.ecloud_bondNH}, {"O", tuning.ecloud_bondOH},
            {"S", tuning.ecloud_bondSH},  {"P", tuning.ecloud_bondPH}, {"B", tuning.ecloud_bondBH},
            {"SE", tuning.ecloud_bondSEH}};
}

ElementTable ecloud_xh_sigmas() {
    return {{"C", tuning.ecloud_sigmaCH},  {"N", tuning.ecloud_sigmaNH},
            {"O", tuning.ecloud_sigmaOH},  {"S", tuning.ecloud_sigmaSH},
            {"P", tuning.ecloud_sigmaPH},  {"B", tuning.ecloud_sigmaBH},
            {"SE", tuning.ecloud_sigmaSEH}};
}

ElementTable nucleus_xh_lengths() {
    return {{"C", tuning.tesra_bondCH},
            {"N", tuning.tesra_bondNH},
            {"O", tuning.tesra_bondOH},
            {"S", tuning.tesra_bondSH},
            {"P", tuning.tesra_bondPH}};
}

XhBondTarget xh_bond_target(const std::string& heavy_atom, const std::string& element, bool ecloud,
                            const ElementTable& ecloud_lengths, const ElementTable& ecloud_sigmas,
                            const ElementTable& nucleus_lengths, std::ostream& out) {
    XhBondTarget target;
    bool known = false;
    if (ecloud) {
        const auto length = ecloud_lengths.find(element);
        const auto sigma = ecloud_sigmas.find(element);
        if (length != ecloud_lengths.end() && sigma != ecloud_sigmas.end()) {
            target.length = length->second;
            target.sigma = sigma->second;
            known = true;
        } else {
            target.length = tuning.ecloud_fallback_length;
            target.sigma = tuning.ecloud_fallback_sigma;
        }
    } else {
        target.sigma = tuning.tesra_hbond_sigma;
        const auto length = nucleus_lengths.find(element);
        if (length != nucleus_lengths.end()) {
            target.length = length->second;
            known = true;
        } else {
            target.length = tuning.tesra_hbond_default;
        }
    }
    if (!known) {
        // "\xC3\x85" is the Angstrom sign in UTF-8.
        out << "Not sure of length for " << heavy_atom << " (" << element
            << ") to hydrogen bond; using " << target.length << "\xC3\x85" << std::endl;
    }
    return target;
}
