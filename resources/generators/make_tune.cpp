// Writes the alert tune: "Happy Birthday to You" (traditional, public domain) in C major, 3/4 time,
// as 16-bit mono PCM at 22050 Hz. Each note is a few decaying harmonics with a soft attack, so it
// sounds like a music box rather than a buzzer, and every note fades out smoothly so nothing clicks.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int sampleRate = 22050;
constexpr double beatsPerMinute = 104.0;
constexpr double secondsPerBeat = 60.0 / beatsPerMinute;
constexpr double peakLevel = 0.70; // about -3 dBFS, leaves headroom for the player
constexpr double attackSeconds = 0.012;
constexpr double releaseSeconds = 0.080;
constexpr double ringSeconds = 0.35; // a note keeps ringing this long under the next one
constexpr double tailSeconds = 0.60; // quiet room after the last note

struct Note {
    const char* pitch; // scientific pitch name, e.g. "C5", "F#4"
    double beats;      // length in quarter-note beats
};

// The melody, one line per bar; the first line is the pick-up (beat 3 of an empty bar).
// Syllables are in the comments.
const Note melody[] = {
    // Phrase 1: "Happy birthday to you"
    {"G4", 0.75},
    {"G4", 0.25}, // Hap-py
    {"A4", 1.0},
    {"G4", 1.0},
    {"C5", 1.0}, // birth-day to
    {"B4", 2.0}, // you
    // Phrase 2: "Happy birthday to you"
    {"G4", 0.75},
    {"G4", 0.25}, // Hap-py
    {"A4", 1.0},
    {"G4", 1.0},
    {"D5", 1.0}, // birth-day to
    {"C5", 2.0}, // you
    // Phrase 3: "Happy birthday dear ..."
    {"G4", 0.75},
    {"G4", 0.25}, // Hap-py
    {"G5", 1.0},
    {"E5", 1.0},
    {"C5", 1.0}, // birth-day dear
    {"B4", 1.0},
    {"A4", 2.0}, // (name), held
    // Phrase 4: "Happy birthday to you"
    {"F5", 0.75},
    {"F5", 0.25}, // Hap-py
    {"E5", 1.0},
    {"C5", 1.0},
    {"D5", 1.0}, // birth-day to
    {"C5", 3.0}, // you
};

// Relative strength and decay rate (per second) of the harmonics: the upper ones die away
// faster, which gives the bright-then-mellow sound of a struck tine.
struct Partial {
    double multiple;
    double amplitude;
    double decay;
};
const Partial partials[] = {
    {1.0, 1.00, 1.6},
    {2.0, 0.45, 3.0},
    {3.0, 0.18, 5.0},
    {4.0, 0.08, 7.5},
};

// Equal temperament, A4 = 440 Hz.
double frequencyOf(const std::string& pitch) {
    static const int semitoneOfLetter[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    const int letter = pitch.at(0) - 'A';
    std::size_t next = 1;
    int semitone = semitoneOfLetter[letter];
    if (pitch.at(next) == '#') {
        ++semitone;
        ++next;
    } else if (pitch.at(next) == 'b') {
        --semitone;
        ++next;
    }
    const int octave = std::stoi(pitch.substr(next));
    const int midi = 12 * (octave + 1) + semitone;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// Adds one note into the mix from `start` for `length` seconds plus its ring-out.
void addNote(std::vector<double>& mix, double start, double length, double frequency) {
    const double sounding = length + ringSeconds;
    const std::size_t first = static_cast<std::size_t>(start * sampleRate);
    const std::size_t count = static_cast<std::size_t>(sounding * sampleRate);
    if (mix.size() < first + count)
        mix.resize(first + count, 0.0);
    constexpr double twoPi = 6.283185307179586;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        double value = 0.0;
        for (const Partial& partial : partials)
            value += partial.amplitude * std::exp(-partial.decay * t) *
                     std::sin(twoPi * frequency * partial.multiple * t);
        // Raised-cosine attack and release: no step at either end of the note.
        double envelope = 1.0;
        if (t < attackSeconds)
            envelope = 0.5 - 0.5 * std::cos(twoPi / 2 * t / attackSeconds);
        const double untilEnd = sounding - t;
        if (untilEnd < releaseSeconds)
            envelope *= 0.5 - 0.5 * std::cos(twoPi / 2 * untilEnd / releaseSeconds);
        mix[first + i] += envelope * value;
    }
}

void putLittleEndian(std::FILE* file, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), file);
}

bool writeWave(const char* path, const std::vector<std::int16_t>& samples) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, file);
    putLittleEndian(file, 36 + dataBytes, 4);
    std::fwrite("WAVE", 1, 4, file);
    std::fwrite("fmt ", 1, 4, file);
    putLittleEndian(file, 16, 4);             // size of the format block
    putLittleEndian(file, 1, 2);              // PCM
    putLittleEndian(file, 1, 2);              // mono
    putLittleEndian(file, sampleRate, 4);     // samples per second
    putLittleEndian(file, sampleRate * 2, 4); // bytes per second
    putLittleEndian(file, 2, 2);              // bytes per frame
    putLittleEndian(file, 16, 2);             // bits per sample
    std::fwrite("data", 1, 4, file);
    putLittleEndian(file, dataBytes, 4);
    for (std::int16_t sample : samples)
        putLittleEndian(file, static_cast<std::uint16_t>(sample), 2);
    const bool ok = std::ferror(file) == 0;
    return std::fclose(file) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tune OUTPUT.wav\n");
        return 2;
    }
    std::vector<double> mix;
    double start = 0.0;
    for (const Note& note : melody) {
        const double length = note.beats * secondsPerBeat;
        addNote(mix, start, length, frequencyOf(note.pitch));
        start += length;
    }
    mix.resize(std::max(mix.size(), static_cast<std::size_t>((start + tailSeconds) * sampleRate)), 0.0);

    double loudest = 0.0;
    for (double value : mix)
        loudest = std::max(loudest, std::fabs(value));
    const double gain = loudest > 0.0 ? peakLevel / loudest : 0.0;
    std::vector<std::int16_t> samples;
    samples.reserve(mix.size());
    for (double value : mix)
        samples.push_back(static_cast<std::int16_t>(std::lround(value * gain * 32767.0)));

    if (!writeWave(argv[1], samples)) {
        std::fprintf(stderr, "make_tune: cannot write %s\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
