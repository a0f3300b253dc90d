// Starting any file by its extension: CMD programs, CAS tapes, disks, snapshots
// and BASIC listings, with the commands typed for the user.
#pragma once

#include <string>

namespace kestrel {

class Machine;

// The path without its extension, for screenshot names: empty when the file
// name has no "." or begins with it. Only the last path component is looked at.
std::string imageBaseNameOf(const std::string& path);

// The extension of the last path component in lower case, empty when none.
std::string lowerExtension(const std::string& path);

void autostartFile(Machine& machine, const std::string& path);
void loadOrTypeBasic(Machine& machine, const std::string& path);

// The command strings typed for tapes; each carriage return swallows the byte
// after it, so "\r\r" reaches the ROM as one RETURN.
inline constexpr const char* kTypeBasicTape = "\r\rCLOAD\r\rRUN\r";
inline constexpr const char* kTypeConvertedBasic = "\r\r\r\rCLOAD\r\rRUN\r";
inline constexpr const char* kTypeLoadBasicOnly = "\r\r\r\rCLOAD\r\r";
std::string systemTapeCommand(char nameChar);  // "\r\r\r\rSYSTEM\r\r%c\r\r/\r"

}  // namespace kestrel
