#pragma once
// A small synthesizer for the songs' audio: a short tune of plucked notes
// on a pentatonic scale, as a 16-bit mono WAV file. The same song always
// gets the same bytes.

#include <cstdint>
#include <string>

namespace standin {

class CAudioSynth {
public:
    static constexpr int kSampleRate = 22050;

    // `seconds` of audio (clamped to 1..60) whose tune starts from MIDI note
    // `key`; `seed` chooses the melody.
    static std::string MakeWav(int seconds, int key, uint32_t seed);
};

}  // namespace standin
