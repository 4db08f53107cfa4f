// Whole-file reads and all-or-nothing writes for the host's input and output files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Throws HostError when the file is missing, unreadable or larger than maxBytes.
std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes);

// Where a file is built before it is renamed into place.
std::string partialPathFor(const std::string& path);

// Moves a finished partial file over the target; throws HostError on failure.
void commitPartialFile(const std::string& partialPath, const std::string& path);

// Writes path.partial, then renames it to path; on failure nothing is left behind.
void writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

bool fileExists(const std::string& path);
