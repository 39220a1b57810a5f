// Runs a fuzz target over saved inputs without libFuzzer, so that any compiler can check the corpus
// and past crash inputs: ReplayMain FILE_OR_FOLDER... Folders are read recursively, in name order.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace
{

bool CollectInputs(const std::filesystem::path &path, std::vector<std::filesystem::path> &inputs)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
    {
        std::vector<std::filesystem::path> found;
        for (const auto &entry : std::filesystem::recursive_directory_iterator(path, error))
            if (entry.is_regular_file())
                found.push_back(entry.path());
        if (error)
            return false;
        std::sort(found.begin(), found.end());
        inputs.insert(inputs.end(), found.begin(), found.end());
        return true;
    }
    if (std::filesystem::is_regular_file(path, error))
    {
        inputs.push_back(path);
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i)
        if (!CollectInputs(argv[i], inputs))
        {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
    // An empty corpus would make the replay pass without testing anything.
    if (inputs.empty())
    {
        std::fprintf(stderr, "no inputs found\n");
        return 2;
    }
    for (const auto &path : inputs)
    {
        std::ifstream file(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (!file.good() && !file.eof())
        {
            std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
            return 2;
        }
        std::fprintf(stderr, "%s\n", path.string().c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    }
    std::fprintf(stderr, "%zu inputs replayed\n", inputs.size());
    return 0;
}
