// Replays a kept corpus through the file readers: `fuzz_files_replay FOLDER`, where FOLDER
// holds one subfolder per reader named as the reader ("pldif", "series" ...).
#include "fuzz_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    int failures = 0;
    for (int reader = 0; reader < ode::fuzz::kReaderCount; ++reader) {
        const std::filesystem::path dir = std::filesystem::path(argv[1]) / ode::fuzz::kReaders[reader];
        size_t count = 0;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ode::fuzz::ReadInput(reader, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++count;
        }
        std::printf("%s: replayed %zu inputs\n", ode::fuzz::kReaders[reader], count);
        if (count == 0)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
