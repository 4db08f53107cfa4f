// Shared helpers of the zelvik-render tests: running the tool, scratch files, WAV reading.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace hosttest {

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    int errLines() const {
        int lines = 0;
        for (char c : err)
            lines += c == '\n';
        return lines;
    }
};

inline std::string readText(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> readBytes(const std::string& path) {
    std::string text = readText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream stream(path, std::ios::binary);
    stream.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

inline bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// A scratch path unique to the running test.
inline std::string scratch(const std::string& name) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string file = std::string(test->test_suite_name()) + "_" + test->name() + "_" + name;
    for (char& c : file)
        if (c == '/')
            c = '_';
    std::string path = ::testing::TempDir() + "host_" + file;
    std::remove(path.c_str());
    return path;
}

inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a program with arguments; stdout and stderr are collected separately.
inline CommandResult run(const std::vector<std::string>& argv, const std::string& environment = "") {
    std::string outPath = scratch("stdout.txt");
    std::string errPath = scratch("stderr.txt");
    std::string command = environment;
    for (const std::string& arg : argv)
        command += " " + shellQuoted(arg);
    command += " >" + shellQuoted(outPath) + " 2>" + shellQuoted(errPath) + " </dev/null";
    int status = std::system(command.c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readText(outPath);
    result.err = readText(errPath);
    return result;
}

inline CommandResult zelvikRender(std::vector<std::string> args) {
    args.insert(args.begin(), ZELVIK_RENDER_EXE);
    return run(args);
}

struct Wav {
    int channels = 0;
    int sampleRate = 0;
    int64_t frames = 0;
    std::vector<float> samples; // interleaved
    float at(int64_t frame, int channel) const { return samples[(size_t)(frame * channels + channel)]; }
};

inline Wav readWav(const std::string& path) {
    Wav wav;
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return wav;
    wav.channels = info.channels;
    wav.sampleRate = info.samplerate;
    wav.frames = info.frames;
    wav.samples.resize((size_t)(info.frames * info.channels));
    sf_readf_float(file, wav.samples.data(), info.frames);
    sf_close(file);
    return wav;
}

// Building blocks for hand-assembled MIDI files.
inline std::vector<uint8_t> chunk(const char* type, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> bytes(type, type + 4);
    uint32_t size = (uint32_t)body.size();
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back((uint8_t)(size >> shift));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

inline std::vector<uint8_t> midiHeader(int format, int tracks, int division) {
    return chunk("MThd", {0, (uint8_t)format, 0, (uint8_t)tracks, (uint8_t)(division >> 8), (uint8_t)division});
}

inline std::vector<uint8_t> joined(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> bytes;
    for (const auto& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

} // namespace hosttest
