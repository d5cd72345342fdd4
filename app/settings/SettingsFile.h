#pragma once
// Loading and saving the main window's settings and the settings file.
//
// The main window keeps one copy of its settings per device variant, in the "_common"
// companion of the variant's section ("data_v2_common" beside "data_v2"), and its last state in
// "osc". The settings file holds every section of the store.

#include "app/settings/SettingsWindow.h"

#include <string>

// The message shown when the file cannot be read.
inline constexpr const char* kConfigLoadError = "Ошибка загрузки конфигурации! Возвращение настроек по-умолчанию.";

// Writes the window into the current variant's "_common" section (store) or reads it back
// from there (restore; a missing or damaged section gives the window's defaults, without a
// message). Takes DataLock. Does nothing once the data model has been closed for exit, so that
// the settings of the variant in use are never overwritten by a variant made up at exit.
void SerializeCommonSection(SettingsWindow& window, bool store);

// Loads (save = false) or saves the settings file at `path`.
//
// Load: no file gives the defaults. Otherwise every section is read into the store, the window
// is read from "osc", the data-model variant the settings belong to is selected, and the
// variant's "_common" section is applied; a damaged file shows kConfigLoadError and gives the
// defaults. Returns false when the file was missing or damaged.
//
// Save: brings the current variant's "_common" section and "osc" up to date and replaces the
// file in one step. A failure (a window that cannot be written, a disk that refuses the file)
// leaves the previous file as it was; returns false then.
bool SerializeConfigFile(SettingsWindow& window, bool save, const std::string& path);

// The same with the settings file of the running program (beside it, or in the user's folder).
bool SerializeConfigFile(SettingsWindow& window, bool save);

// Switches the data model to another device variant, keeping each variant's window settings:
// the old variant's "_common" section is stored, the variant selected, the new one's restored.
// Returns what SelectOscDataVersion returns.
bool SwitchVariantSettings(SettingsWindow& window, int version, int hwVersion);

// The window is closing: records the variant in use as "last_saved_version", stores its
// "_common" section, deletes the data model and saves the file. Returns the save's result.
bool CloseSettings(SettingsWindow& window, const std::string& path);
bool CloseSettings(SettingsWindow& window);

// The window's elements as an XML archive text with the root element `name`, and back. Both
// throw the archive's errors.
std::string WriteWindowArchive(SettingsWindow& window, const std::string& name);
void ReadWindowArchive(SettingsWindow& window, const std::string& name, const std::string& text);
