// Arbitrary bytes as a binary block file: opening it read-only and reading
// every item must either work or throw the library's exceptions (or the
// std::out_of_range of a block past the end); nothing may crash or allocate
// without bound. The same bytes are then opened for update, changed, closed
// and read back: what the library writes must always read back.

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "foundation/Serializer.h"

namespace {

// Every item is read with its own reader (PrintData) and, for the first
// items, with all four readers: exceptions are slow under the sanitizers.
void ReadEverything(Serializer& ser) {
    for (UInt32 i = 0; i < std::min<UInt32>(ser.GetNumIndices(), 32); ++i) {
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
    static const ScratchFiles files("blockfile");
    Store(files.first, data, size);
    Tolerate([&] {
        Serializer ser(files.first, READ_MODE);
        ReadEverything(ser);
    });

    // Update: change what can be changed, then append one item last, which
    // must read back whatever the rest of the file holds.
    Store(files.second, data, size);
    const std::string marker = "appended by the fuzzer";
    const bool appended = Tolerate([&] {
        Serializer ser(files.second, UPDATE_MODE);
        const UInt32 count = ser.GetNumIndices();
        if (count > 0) {
            Tolerate([&] { ser.UpdateString("x", 0); });
            Tolerate([&] { ser.UpdateUInt32s({1, 2, 3, 4, 5}, count - 1); });
            Tolerate([&] { ser.Delete(count / 2); });
        }
        ReadEverything(ser);
        ser.WriteString(marker);
    });
    if (appended) {
        Serializer ser(files.second, READ_MODE);
        std::string text;
        if (ser.GetNumIndices() == 0)
            std::abort();
        ser.ReadString(text, ser.GetNumIndices() - 1);
        if (text != marker)
            std::abort();
        ReadEverything(ser);
    }
    return 0;
}
