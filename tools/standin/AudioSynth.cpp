#include "tools/standin/AudioSynth.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace standin {
namespace {

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t NextRandom(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

}  // namespace

std::string CAudioSynth::MakeWav(int seconds, int key, uint32_t seed) {
    seconds = std::clamp(seconds, 1, 60);
    const size_t frames = static_cast<size_t>(seconds) * kSampleRate;
    std::vector<float> mix(frames, 0.0f);

    static const int kScale[] = {0, 2, 4, 7, 9, 12, 14, 16};
    uint32_t state = seed * 2654435761u + 1u;
    if (state == 0) state = 1;
    const double beat = 0.25 + (NextRandom(state) % 3) * 0.05;  // seconds per note
    for (double start = 0.0; start < seconds - 0.1; start += beat) {
        const int step = kScale[NextRandom(state) % 8];
        const double frequency = 440.0 * std::pow(2.0, (key + step - 69) / 12.0);
        const size_t first = static_cast<size_t>(start * kSampleRate);
        const size_t length = std::min(frames - first, static_cast<size_t>(beat * 1.8 * kSampleRate));
        const double phaseStep = 2.0 * std::numbers::pi * frequency / kSampleRate;
        for (size_t i = 0; i < length; ++i) {
            const double t = static_cast<double>(i) / kSampleRate;
            const double envelope = std::min(1.0, t * 200.0) * std::exp(-t * 5.0);
            const double phase = phaseStep * static_cast<double>(i);
            mix[first + i] += static_cast<float>(envelope * (0.6 * std::sin(phase) + 0.25 * std::sin(2.0 * phase)));
        }
    }

    std::string wav;
    const uint32_t dataBytes = static_cast<uint32_t>(frames * 2);
    wav.reserve(kHeaderBytes + dataBytes);
    wav += "RIFF";
    PutLe(wav, 36 + dataBytes, 4);
    wav += "WAVEfmt ";
    PutLe(wav, 16, 4);
    PutLe(wav, 1, 2);  // PCM
    PutLe(wav, 1, 2);  // mono
    PutLe(wav, kSampleRate, 4);
    PutLe(wav, kSampleRate * 2, 4);
    PutLe(wav, 2, 2);
    PutLe(wav, 16, 2);
    wav += "data";
    PutLe(wav, dataBytes, 4);
    for (size_t i = 0; i < frames; ++i) {
        // A short fade at both ends avoids clicks.
        const double edge = std::min({1.0, static_cast<double>(i) / 200.0, static_cast<double>(frames - i) / 2000.0});
        const double sample = std::clamp(static_cast<double>(mix[i]) * 0.5 * edge, -1.0, 1.0);
        PutLe(wav, static_cast<uint32_t>(static_cast<int16_t>(std::lround(sample * 32000.0))) & 0xFFFF, 2);
    }
    return wav;
}

}  // namespace standin
