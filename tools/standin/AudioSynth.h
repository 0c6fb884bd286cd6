#pragma once
// A small synthesizer for the songs' audio: a short tune of plucked notes
// on a pentatonic scale, as a 16-bit mono WAV file. The same song always
// gets the same bytes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace standin {

class CAudioSynth {
public:
    static constexpr int kSampleRate = 22050;
    static constexpr size_t kHeaderBytes = 44;

    // Where in a song's file the audio of `seconds` begins.
    static constexpr size_t ByteAt(double seconds) {
        return kHeaderBytes + 2 * static_cast<size_t>(seconds * kSampleRate);
    }

    // `seconds` of audio (clamped to 1..60) whose tune starts from MIDI note
    // `key`; `seed` chooses the melody.
    static std::string MakeWav(int seconds, int key, uint32_t seed);
};

}  // namespace standin
