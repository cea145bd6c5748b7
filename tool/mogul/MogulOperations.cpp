// transcribe-mogul and write-mogdict(-override): one pass over a Mogul results
// file, then the plane and torsion decisions; write-mogdict writes the
// GEOMETRY and VETO-PLANEBOND files, transcribe-mogul corrects the block.
#include "Operations.h"
#include "common/ExceptionDictionary.h"
#include "common/HydrogenBonds.h"
#include "common/SideFileCheck.h"
#include "mogul/HybridisationTable.h"
#include "mogul/MogulDictWriter.h"
#include "mogul/MogulPass.h"
#include "mogul/PlaneDecisions.h"

void transcribe_mogul(Block& block, std::string results_path, bool correct_all) {
    const ExceptionDictionary no_exceptions;
    write_mogdict(block, results_path, correct_all, false, false, "INVALID", "DUMMY", no_exceptions,
                  "");
}

void write_mogdict(Block& block, std::string results_path, bool correct_all, bool write_outputs,
                   bool ecloud, std::string restraint_path, std::string compound_code,
                   const ExceptionDictionary& exceptions, std::string veto_path) {
    HybridisationTable hybridisations;
    if (write_outputs)
        hybridisations = load_hybridisation_table(hybridisation_file_path());

    const std::vector<MogulWords> lines = read_results_file(results_path);
    const XhTables xh_tables{ecloud_xh_lengths(), ecloud_xh_sigmas(), nucleus_xh_lengths()};

    PassResults results;
    {
        SideFileCheck check("Mogul results file", results_path);
        check.know_atoms_of(block);
        results = read_mogul_results(block, lines, correct_all, write_outputs, check);
    }

    VetoedPlaneBonds vetoed;
    decide_planes_and_torsions(block, hybridisations, results.torsions.plane_flags,
                               results.torsions.torsions_3060, results.angle_means, vetoed);

    if (!veto_path.empty())
        write_veto_planebond(vetoed, veto_path);
    if (write_outputs)
        write_geometry_file(block, compound_code, restraint_path, results.bonds, results.angles,
                            results.torsions, ecloud, exceptions, xh_tables);
}
