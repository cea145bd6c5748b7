#ifndef TESRA_FOUNDATION_FILEMODE_H
#define TESRA_FOUNDATION_FILEMODE_H

// How a table file (and the block file under it) is opened. The numbers are
// part of the interface: messages print them and callers pass plain integers.
enum FileMode : int {
    NO_MODE = 0,      // closed
    READ_MODE = 1,    // existing file, read only
    CREATE_MODE = 2,  // new or emptied file, written only
    UPDATE_MODE = 3,  // existing or new file, read and written
    VIRTUAL_MODE = 4  // in memory, no file
};

#endif
