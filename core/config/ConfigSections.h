#pragma once
// The in-memory settings store: one XML archive text per named section.
//
// Objects that keep settings write themselves into their own section and read themselves back
// from it; the whole map is written to and read from the settings file in one piece. Section
// names in use: "osc" (the main window), "data_v1" .. "data_v5" (the device variants) and the
// same five names followed by "_common" (the main window's settings per device variant).
//
// The store has no lock of its own: it is used on the UI thread and under DataLock.

#include <map>
#include <sstream>
#include <string>

extern std::map<std::string, std::string> ConfigSections;

// Creates or replaces the section's text.
void StoreSection(const std::string& name, const std::string& text);

// Copies the section's text into `text`; false (and `text` untouched) when there is no such
// section.
bool RestoreSection(const std::string& name, std::string& text);

// Stream forms: the stream's whole text is stored; on restore the stream is emptied, refilled
// with the stored text and rewound so that an archive can read it from the start.
void StoreSection(const std::string& name, const std::stringstream& stream);
bool RestoreSection(const std::string& name, std::stringstream& stream);
