// Arbitrary bytes as a block file: read-only, every item is read or refused,
// nothing crashes or allocates without bound; then opened for update,
// changed, closed and read back: what the library writes always reads back.

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "foundation/Serializer.h"

namespace {

// The first items with all four readers (exceptions are slow), all by PrintData.
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
        if (ser.GetNumIndices() == 0 ||
            (ser.ReadString(text, ser.GetNumIndices() - 1), text) != marker)
            std::abort();
        ReadEverything(ser);
    }
    return 0;
}
