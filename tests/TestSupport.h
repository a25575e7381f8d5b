#pragma once
// Helpers shared by the test programs.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// The external corpora (GIF and BMP suites, malformed files): tests/data, or
// where ZEF_TESTDATA points.
std::filesystem::path TestDataDir();

// This folder: fixtures kept with the tests (tests/pages/...).
std::filesystem::path TestsDir();

std::string ReadFileBytes(const std::filesystem::path& path);

// Fails the current test with a clear message when the corpus folder is absent:
// the corpora come with the repository, so a missing one is a fault to see,
// not a reason to skip.
#define ZEF_REQUIRE_TESTDATA(subfolder)                                                    \
    do {                                                                                   \
        if (!std::filesystem::is_directory(TestDataDir() / (subfolder)))                   \
            FAIL() << "test corpus " << (TestDataDir() / (subfolder)).string()             \
                   << " is absent; check ZEF_TESTDATA or tests/data";                      \
    } while (false)
