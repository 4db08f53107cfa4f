// WAV writing through libsndfile, without the time-stamped PEAK chunk.
#include "host/wav_writer.h"

#include "host/file_util.h"
#include "host/host_error.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>

WavWriter::WavWriter(const std::string& path, int channels, int sampleRate)
    : path_(path), partialPath_(partialPathFor(path)), channels_(channels) {
    SF_INFO info = {};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    file_ = sf_open(partialPath_.c_str(), SFM_WRITE, &info);
    if (!file_)
        throw HostError("cannot write " + path + " (" + sf_strerror(nullptr) + ")");
    // The PEAK chunk carries the time of writing; without it equal renders are equal files.
    sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

WavWriter::~WavWriter() {
    if (file_) {
        sf_close(file_);
        std::remove(partialPath_.c_str());
    }
}

void WavWriter::write(const float* const* channels, int frames) {
    int framesPerChunk = (int)(sizeof interleaved_ / sizeof interleaved_[0]) / channels_;
    for (int start = 0; start < frames; start += framesPerChunk) {
        int count = std::min(framesPerChunk, frames - start);
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < channels_; ++c)
                interleaved_[i * channels_ + c] = channels[c][start + i];
        if (sf_writef_float(file_, interleaved_, count) != count)
            throw HostError("cannot write " + path_ + " (" + sf_strerror(file_) + ")");
    }
}

void WavWriter::finish() {
    int status = sf_close(file_);
    file_ = nullptr;
    if (status != 0) {
        std::remove(partialPath_.c_str());
        throw HostError("cannot write " + path_);
    }
    commitPartialFile(partialPath_, path_);
}
