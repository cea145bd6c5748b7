#ifndef TESRA_TOOL_MOGUL_OVERRIDEINSERTION_H
#define TESRA_TOOL_MOGUL_OVERRIDEINSERTION_H

#include "RovidevParams.h"
#include "common/ExceptionDictionary.h"
#include "common/TableHelpers.h"
#include "mogul/MogulRecords.h"

// Appends an exceptions-dictionary record for each bond row (atom_id_1,
// atom_id_2, type) whose type pair is listed and that Mogul did not report.
// Messages on standard error. An atom without a type counts as the empty type.
void insert_bond_overrides(MogulBondList& bonds, const TableRows& bond_rows,
                           const AtomTypeMap& atom_types, const ExceptionDictionary& exceptions);

// The same for angle rows (atom_id_1, atom_id_2, atom_id_3). Messages on
// standard output.
void insert_angle_overrides(MogulAngleList& angles, const TableRows& angle_rows,
                            const AtomTypeMap& atom_types, const ExceptionDictionary& exceptions);

#endif
