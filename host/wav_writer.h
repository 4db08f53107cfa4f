// 32-bit float WAV output that appears under its name only once it is complete.
#pragma once

#include <string>

struct sf_private_tag;

class WavWriter {
public:
    // Opens path.partial; throws HostError when it cannot be created.
    WavWriter(const std::string& path, int channels, int sampleRate);
    ~WavWriter(); // an unfinished file is removed
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Channel-separated samples in, interleaved frames out; throws HostError on a write error.
    void write(const float* const* channels, int frames);
    // Closes the file and renames it to its real name.
    void finish();

private:
    std::string path_;
    std::string partialPath_;
    int channels_;
    sf_private_tag* file_ = nullptr;
    float interleaved_[4096];
};
