#pragma once
// Small real audio for playback tests: a sine tone as a 16-bit mono WAV file.

#include <filesystem>
#include <string>

std::string MakeToneWav(double seconds, double frequency = 440.0, int sampleRate = 22050);
std::filesystem::path WriteToneWav(const std::filesystem::path& path, double seconds, double frequency = 440.0);
