#ifndef TESRA_TOOL_IO_TEMPFILES_H
#define TESRA_TOOL_IO_TEMPFILES_H

#include <string>

// The run's temporary files. Each is created with mkstemp (never a bare
// name) and registered here. Whoever makes one removes or releases it on every
// way out of its step; what is left when the run ends is removed by main
// (remove_all_temp_files), and on SIGINT, SIGTERM, SIGHUP or SIGQUIT by the
// signal handler.

// Creates an empty file "<directory>/<prefix>XXXXXX" (mode 0600), registers
// it and returns its path. Throws std::runtime_error when it cannot be made.
std::string make_temp_file(const std::string& directory, const std::string& prefix);

// Removes the file now and forgets it.
void remove_temp_file(const std::string& path);

// Forgets the file without removing it (it has been renamed into place).
void release_temp_file(const std::string& path);

// Removes every registered file. Safe to call more than once.
void remove_all_temp_files();

#endif
