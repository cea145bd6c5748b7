#ifndef TESRA_TOOL_IO_FILETEXT_H
#define TESRA_TOOL_IO_FILETEXT_H

#include <string>

// Reads the whole file as bytes. Returns false when it is missing, a
// directory, or cannot be opened or read.
bool read_file_text(const std::string& path, std::string& content);

// Makes `path` hold exactly `content`: the text goes to a temporary file in the
// same directory, which replaces `path` by rename only once it is complete, so
// a failure never leaves a partly written file at `path` (and `path` may be
// the file the content was read from). An existing file keeps its permission
// bits; a new one gets 0666 less the umask. A symbolic link is followed and
// its target replaced; a device or a pipe (/dev/null, a named pipe) is written
// in place. Throws std::runtime_error naming the path and the cause.
void replace_file_text(const std::string& path, const std::string& content);

#endif
