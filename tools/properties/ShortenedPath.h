#pragma once
// Fitting a file path into a read-out of fixed width. The end of a path names the file, so
// that is what survives: the middle goes first, behind an ellipsis, and a name too long even
// on its own loses its beginning, never its end.

#include <functional>
#include <string>

// The path as it fits `width` pixels when `measure` gives the width a text takes. UTF-8 text is
// cut on character boundaries only.
std::string ShortenPathToWidth(const std::string& path, int width,
                               const std::function<int(const std::string&)>& measure);
