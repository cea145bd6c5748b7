// tesra-rovidev: one operation on a ligand restraint dictionary per run. The
// run's own endings come back from run_rovidev as its status; whatever the
// library throws past it ends the run here with a message and status 1.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "common/RunStatus.h"
#include "foundation/Exceptions.h"
#include "io/TempFiles.h"
#include "run/Driver.h"

int main(int argc, char** argv) {
    int status = exit_status::failure;
    try {
        const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        status = run_rovidev(args);
    } catch (const MirtException& e) {
        std::cerr << "tesra-rovidev: error in the CIF library:\n" << e.what() << std::endl;
        status = exit_status::failure;
    } catch (const std::exception& e) {
        std::cerr << "tesra-rovidev: error: " << e.what() << std::endl;
        status = exit_status::failure;
    } catch (...) {
        std::cerr << "tesra-rovidev: unexpected error" << std::endl;
        status = exit_status::failure;
    }
    remove_all_temp_files();
    return status;
}
