// Arbitrary bytes as a binary block file: opening it read-only and reading
// every item must either work or throw the library's exceptions (or the
// std::out_of_range of a block past the end); nothing may crash or allocate
// without bound. The same bytes are then opened for update, changed, closed
// and read back: what the library writes must always read back.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "foundation/Serializer.h"

namespace {

class ScratchFiles {
public:
    ScratchFiles() {
        const std::string base = "/tmp/tesra-blockfile-fuzz-" + std::to_string(::getpid());
        readPath = base + "-read.bin";
        updatePath = base + "-update.bin";
    }
    ~ScratchFiles() {
        std::remove(readPath.c_str());
        std::remove(updatePath.c_str());
    }

    std::string readPath;
    std::string updatePath;
};

ScratchFiles& Files() {
    static ScratchFiles files;
    return files;
}

void Store(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

template <typename Action>
void Tolerate(Action action) {
    try {
        action();
    } catch (const MirtException&) {
    } catch (const std::out_of_range&) {
    }
}

// Every item is read with its own reader (PrintData) and, for the first
// items, with all four readers: exceptions are slow under the sanitizers.
void ReadEverything(Serializer& ser) {
    const UInt32 count = std::min<UInt32>(ser.GetNumIndices(), 32);
    for (UInt32 i = 0; i < count; ++i) {
        std::string text;
        std::vector<std::string> texts;
        std::vector<UInt32> words;
        Tolerate([&] { (void)ser.ReadUInt32(i); });
        Tolerate([&] { ser.ReadUInt32s(words, i); });
        Tolerate([&] { ser.ReadString(text, i); });
        Tolerate([&] { ser.ReadStrings(texts, i); });
    }
    Tolerate([&] { ser.PrintData(); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScratchFiles& files = Files();

    Store(files.readPath, data, size);
    Tolerate([&] {
        Serializer ser(files.readPath, READ_MODE);
        ReadEverything(ser);
    });

    // Update: change what can be changed, then append one item last, which
    // must read back whatever the rest of the file holds.
    Store(files.updatePath, data, size);
    const std::string marker = "appended by the fuzzer";
    bool appended = false;
    Tolerate([&] {
        Serializer ser(files.updatePath, UPDATE_MODE);
        const UInt32 count = ser.GetNumIndices();
        if (count > 0) {
            Tolerate([&] { ser.UpdateString("x", 0); });
            Tolerate([&] { ser.UpdateUInt32s({1, 2, 3, 4, 5}, count - 1); });
            Tolerate([&] { ser.Delete(count / 2); });
        }
        ReadEverything(ser);
        ser.WriteString(marker);
        appended = true;
    });
    if (appended) {
        Serializer ser(files.updatePath, READ_MODE);
        const UInt32 count = ser.GetNumIndices();
        if (count == 0)
            std::abort();
        std::string text;
        ser.ReadString(text, count - 1);
        if (text != marker)
            std::abort();
        ReadEverything(ser);
    }
    return 0;
}
