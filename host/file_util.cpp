// File helpers: bounded reads, writes that appear only when complete.
#include "host/file_util.h"

#include "host/host_error.h"

#include <cstdio>
#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
#endif

std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw HostError("cannot open " + path);
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
        if (bytes.size() > maxBytes) {
            std::fclose(file);
            throw HostError(path + " is too large");
        }
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        throw HostError("cannot read " + path);
    return bytes;
}

std::string partialPathFor(const std::string& path) { return path + ".partial"; }

void commitPartialFile(const std::string& partialPath, const std::string& path) {
#ifdef _WIN32
    bool moved = MoveFileExA(partialPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    bool moved = std::rename(partialPath.c_str(), path.c_str()) == 0;
#endif
    if (!moved) {
        std::remove(partialPath.c_str());
        throw HostError("cannot write " + path);
    }
}

void writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::string partial = partialPathFor(path);
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file)
        throw HostError("cannot write " + path);
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = (std::fclose(file) == 0) && written;
    if (!written) {
        std::remove(partial.c_str());
        throw HostError("cannot write " + path);
    }
    commitPartialFile(partial, path);
}

bool fileExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}
