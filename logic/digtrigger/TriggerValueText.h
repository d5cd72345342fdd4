#pragma once
// The digital trigger value as the user types it: "0x" (any case) starts a hexadecimal number,
// anything else is read as a decimal one from its leading digits. Text without digits is 0.
// Only the low eight bits are kept: the pattern covers the eight lines of one channel.

#include <cstdint>
#include <string>

std::uint8_t ParseTriggerValueText(const std::string& text);
// "0x%02X".
std::string FormatTriggerValueText(std::uint8_t value);
