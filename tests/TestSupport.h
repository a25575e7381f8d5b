#pragma once
// Helpers shared by the test programs.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// The external corpora (GIF and BMP suites, malformed files), beside the
// repository in ../shared/testdata, or where ZEF_TESTDATA points.
std::filesystem::path TestDataDir();

// This folder: fixtures kept with the tests (tests/pages/...).
std::filesystem::path TestsDir();

std::string ReadFileBytes(const std::filesystem::path& path);

// Skips the current test with a clear message when the corpus folder is absent.
#define ZEF_REQUIRE_TESTDATA(subfolder)                                                    \
    do {                                                                                   \
        if (!std::filesystem::is_directory(TestDataDir() / (subfolder)))                   \
            GTEST_SKIP() << "test corpus " << (TestDataDir() / (subfolder)).string()       \
                         << " is absent; set ZEF_TESTDATA or lay out ../shared/testdata";  \
    } while (false)
