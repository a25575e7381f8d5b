// Runs a fuzz target over files without libFuzzer: every file named on the
// command line, and every file below each folder named there, is fed once.
// Missing paths are skipped so that absent external corpora do not fail a run.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunOne(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char* argv[])
{
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
                if (entry.is_regular_file()) {
                    RunOne(entry.path());
                    ++count;
                }
        } else if (std::filesystem::is_regular_file(path)) {
            RunOne(path);
            ++count;
        } else {
            std::cerr << "skipped (absent): " << path.string() << '\n';
        }
    }
    std::cout << "ran " << count << " inputs\n";
    return 0;
}
