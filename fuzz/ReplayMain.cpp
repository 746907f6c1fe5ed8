// Runs a fuzz target once over every file of the folders (or files) named on the
// command line, so that corpora and past crashers are replayed as ordinary tests.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec; // a folder that is not there has nothing to replay
        std::vector<std::filesystem::path> files = {argv[i]};
        if (std::filesystem::is_directory(files[0], ec))
            for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i], ec))
                files.push_back(entry.path());
        for (const std::filesystem::path& file : files) {
            if (!std::filesystem::is_regular_file(file, ec))
                continue;
            std::ifstream in(file, std::ios::binary);
            const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++count;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return 0;
}
