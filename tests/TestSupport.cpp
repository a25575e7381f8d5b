#include "tests/TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

std::filesystem::path TestDataDir()
{
    if (const char* fromEnvironment = std::getenv("ZEF_TESTDATA"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    return ZEF_TESTDATA_DIR;
}

std::filesystem::path TestsDir()
{
    return ZEF_TESTS_DIR;
}

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
