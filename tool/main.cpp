// tesra-rovidev: one operation on a ligand restraint dictionary per run.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "io/TempFiles.h"
#include "run/Driver.h"

int main(int argc, char** argv) {
    int status = 1;
    try {
        const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        status = run_rovidev(args);
    } catch (const MirtException& e) {
        std::cerr << "tesra-rovidev: error in the CIF library:\n" << e.what() << std::endl;
        status = 1;
    } catch (const std::exception& e) {
        std::cerr << "tesra-rovidev: error: " << e.what() << std::endl;
        status = 1;
    } catch (...) {
        std::cerr << "tesra-rovidev: unexpected error" << std::endl;
        status = 1;
    }
    remove_all_temp_files();
    return status;
}
