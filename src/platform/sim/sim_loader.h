// Reading a machine file into the model of a SimCore. Every function throws
// MachineFileError (through JsonReader::fail) on a bad value.
#pragma once

#include "platform/sim/json_reader.h"
#include "platform/sim/sim_core.h"

#include <string>
#include <vector>

namespace zv::sim {

// Parses the text (comments allowed) and loads the whole machine, features included.
void loadMachineText(SimCore& core, const std::string& text);

// Parts of the loader, one file each.
void loadDrives(SimCore& core, const JsonReader& root);            // sim_load_drives.cpp
void readVolume(const JsonReader& volume, UINT driveType, SimVolume* out);
void readSpace(const JsonReader& space, SimSpace* out);
void loadNetwork(SimCore& core, const JsonReader& network);        // sim_load_network.cpp
void loadRegistry(SimCore& core, const JsonReader& registry);      // sim_load_registry.cpp
void loadFiles(SimCore& core, const JsonReader& root);             // sim_load_files.cpp
void loadFaults(SimCore& core, const JsonReader& faults);          // sim_load_faults.cpp

// Shared value forms.
DWORD readErrorCode(const JsonReader& parent, const char* key);
// {"error": code} in place of a section: true and the code.
bool readFailureObject(const JsonReader& value, DWORD* error);
char readLetter(const JsonReader& parent, const char* key);
DWORD readDword(const JsonReader& parent, const char* key, DWORD fallback);

}  // namespace zv::sim
