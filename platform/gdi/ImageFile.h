#pragma once
// Writing a memory DC's picture to a PNG file, so a person can look at what drawing code made.

#include "platform/gdi/DC.h"

#include <string>

// Saves the bitmap selected into a memory DC as PNG; false when the DC has no bitmap or the
// file cannot be written.
bool SaveDCAsPng(const CDC& dc, const std::string& path);

#ifdef VELKARO_TEST_OUTPUT_DIR
// Tests: saves under the build tree's test-output folder as <name>.png and returns the path
// (empty on failure).
inline std::string SaveTestImage(const CDC& dc, const std::string& name)
{
    const std::string path = std::string(VELKARO_TEST_OUTPUT_DIR) + "/" + name + ".png";
    return SaveDCAsPng(dc, path) ? path : std::string();
}
#endif
