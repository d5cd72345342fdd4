#include "platform/testing/RunFolder.h"

#include <unistd.h>

#include <algorithm>

std::filesystem::path RunFolder::Make(const std::string& area, std::string test)
{
    test.append(1, '.').append(std::to_string(::getpid()));
    std::replace(test.begin(), test.end(), '/', '_');  // parameterised names
    const std::filesystem::path folder = std::filesystem::path(VELKARO_TEST_OUTPUT_DIR) / area / test;
    // One left by a killed process that had the same id.
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

RunFolder::~RunFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
