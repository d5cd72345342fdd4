#pragma once
// The save dialog's file contents: the text report and the CSV table of the 300 screen points
// or of the whole capture buffer, and the image format a chosen file name stands for. They need
// no window; call the builders with DataLock held so a file never mixes two captures.
//
// Lines end in "\n"; the file is written in text mode, which stores them as CR LF.

#include "platform/gdi/Image.h"

#include <string>

class OscData;

enum class SaveSource { Screen, Buffer };

// Both channels' values as "Горизонтальная развертка: ..." and one block per enabled channel.
std::string BuildTextReport(const OscData& data, SaveSource source);
// The same values as a ";"-separated table, one row per point or stored sample.
std::string BuildCsvTable(const OscData& data, SaveSource source);

// Replaces the file with the text, stored with CR LF line ends, in one step (ReplaceFileContents):
// a failure leaves any earlier file of that name as it was. False when the file cannot be
// created or written; *reason then holds the system's description.
bool WriteTextFile(const std::string& path, const std::string& text, std::string* reason = nullptr);

// The image format of a file name by its extension, case ignored: png; jpg, jpeg, jpe, jfif;
// gif; anything else (no extension included) is a BMP.
const GUID& ImageFormatForFileName(const std::string& path);
