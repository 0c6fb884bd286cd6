#include "tests/support/WavFile.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>

namespace {
void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
}  // namespace

std::string MakeToneWav(double seconds, double frequency, int sampleRate) {
    const auto samples = static_cast<std::uint32_t>(seconds * sampleRate);
    std::string wav = "RIFF";
    Put(wav, 36 + samples * 2, 4);
    wav += "WAVEfmt ";
    Put(wav, 16, 4);
    Put(wav, 1, 2);  // PCM
    Put(wav, 1, 2);  // mono
    Put(wav, static_cast<std::uint32_t>(sampleRate), 4);
    Put(wav, static_cast<std::uint32_t>(sampleRate * 2), 4);
    Put(wav, 2, 2);
    Put(wav, 16, 2);
    wav += "data";
    Put(wav, samples * 2, 4);
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double v = 0.3 * std::sin(2 * std::numbers::pi * frequency * i / sampleRate);
        Put(wav, static_cast<std::uint32_t>(static_cast<std::int16_t>(v * 32767)) & 0xFFFF, 2);
    }
    return wav;
}

std::filesystem::path WriteToneWav(const std::filesystem::path& path, double seconds, double frequency) {
    std::ofstream(path, std::ios::binary) << MakeToneWav(seconds, frequency);
    return path;
}
