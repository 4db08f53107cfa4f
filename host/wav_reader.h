// Sequential reading of the first channel of an audio file, as the plug-in's input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sf_private_tag;

class WavReader {
public:
    // Throws HostError when the file cannot be opened as audio.
    explicit WavReader(const std::string& path);
    ~WavReader();
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    int sampleRate() const { return sampleRate_; }
    // The next `frames` samples of channel 0; zeros once the file is exhausted.
    void readFirstChannel(float* samples, int frames);

private:
    sf_private_tag* file_ = nullptr;
    int channels_ = 0;
    int sampleRate_ = 0;
    std::vector<float> frameBuffer_;
};
