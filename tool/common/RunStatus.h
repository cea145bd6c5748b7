#ifndef TESRA_TOOL_COMMON_RUNSTATUS_H
#define TESRA_TOOL_COMMON_RUNSTATUS_H

// How a run of tesra-rovidev ends. A step that must end the run prints its
// message on standard error and throws RunEnd with the status; only the
// driver's entry (run_rovidev) turns it into the exit status. Destructors run
// on the way out, so files written so far are flushed and closed. RunEnd does
// not derive from std::exception: no handler of library errors takes it for
// one and adds text.
struct RunEnd {
    int status;
};

// Every exit status of the tool.
namespace exit_status {
constexpr int success = 0;
// Usage, environment, unreadable input or data files, a missing table or
// column, parser diagnostics [E001], a number in a side file that is not
// finite, write failures.
constexpr int failure = 1;
constexpr int not_one_compound = 2;           // [E002]
constexpr int first_block_not_list = 3;       // [E003]
constexpr int bad_torsion_distribution = 11;  // a Mogul DISTRIBUTION line of the wrong form
constexpr int bad_exception_line = 93;        // a line the exceptions dictionary cannot hold
constexpr int missing_restraint_table = 255;  // chem_comp_bond or _angle for transcribe, post-pqm
}  // namespace exit_status

#endif
