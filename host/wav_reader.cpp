// Audio input through libsndfile (any format it reads), first channel only.
#include "host/wav_reader.h"

#include "host/host_error.h"

#include <sndfile.h>

#include <algorithm>

namespace {
constexpr int kFramesPerRead = 1024;
}

WavReader::WavReader(const std::string& path) {
    SF_INFO info = {};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    if (!file_)
        throw HostError("cannot read audio file " + path + " (" + sf_strerror(nullptr) + ")");
    channels_ = info.channels;
    sampleRate_ = info.samplerate;
    frameBuffer_.resize((size_t)kFramesPerRead * channels_);
}

WavReader::~WavReader() { sf_close(file_); }

void WavReader::readFirstChannel(float* samples, int frames) {
    int done = 0;
    while (done < frames) {
        int wanted = std::min(kFramesPerRead, frames - done);
        int got = file_ ? (int)sf_readf_float(file_, frameBuffer_.data(), wanted) : 0;
        for (int i = 0; i < got; ++i)
            samples[done + i] = frameBuffer_[(size_t)i * channels_];
        if (got < wanted) {
            std::fill(samples + done + got, samples + frames, 0.0f);
            return;
        }
        done += got;
    }
}
