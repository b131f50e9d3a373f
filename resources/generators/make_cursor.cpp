// Writes the hand pointer the windows show over their command buttons: a Windows cursor file with
// one 32x32 image (32-bit BGRA plus the AND mask older readers want) and the hot spot on the tip of
// the index finger.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int size = 32;

// '#' outline (black), 'o' fill (white), '.' transparent. Row 0 is the top.
const char* const picture[size] = {
    ".....##.........................", //
    "....#oo#........................", //
    "....#oo#........................", //
    "....#oo#........................", //
    "....#oo#........................", //
    "....#oo###......................", //
    "....#oo#oo###...................", //
    "....#oo#oo#oo###................", //
    "....#oo#oo#oo#oo#...............", //
    ".##.#oo#oo#oo#oo#...............", //
    "#oo##oo#oo#oo#oo#...............", //
    "#ooo#ooooooooooo#...............", //
    ".#oooooooooooooo#...............", //
    "..#ooooooooooooo#...............", //
    "..#ooooooooooooo#...............", //
    "...#oooooooooooo#...............", //
    "...#ooooooooooo#................", //
    "....#oooooooooo#................", //
    "....#oooooooooo#................", //
    ".....#ooooooooo#................", //
    ".....#ooooooooo#................", //
    ".....###########................", //
    "................................", //
    "................................", //
    "................................", //
    "................................", //
    "................................", //
    "................................", //
    "................................", //
    "................................", //
    "................................", //
    "................................", //
};

// The top of the index finger, where a click lands.
constexpr int hotSpotX = 5;
constexpr int hotSpotY = 0;

constexpr std::uint32_t headerBytes = 40;
constexpr std::uint32_t colourBytes = size * size * 4;
constexpr std::uint32_t maskRowBytes = ((size + 31) / 32) * 4; // rows padded to 32 bits
constexpr std::uint32_t maskBytes = maskRowBytes * size;
constexpr std::uint32_t imageBytes = headerBytes + colourBytes + maskBytes;
constexpr std::uint32_t imageOffset = 6 + 16; // directory header plus one entry

void put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}

std::vector<std::uint8_t> cursorFile() {
    std::vector<std::uint8_t> out;
    // Directory: reserved, type 2 (cursor), one image.
    put(out, 0, 2);
    put(out, 2, 2);
    put(out, 1, 2);
    // Directory entry; for cursors the planes and bit-count fields hold the hot spot.
    put(out, size, 1);
    put(out, size, 1);
    put(out, 0, 1); // no palette
    put(out, 0, 1);
    put(out, hotSpotX, 2);
    put(out, hotSpotY, 2);
    put(out, imageBytes, 4);
    put(out, imageOffset, 4);
    // Bitmap header; the height counts the colour image and the mask together.
    put(out, headerBytes, 4);
    put(out, size, 4);
    put(out, 2 * size, 4);
    put(out, 1, 2);  // planes
    put(out, 32, 2); // bits per pixel
    put(out, 0, 4);  // uncompressed
    put(out, colourBytes + maskBytes, 4);
    put(out, 0, 4);
    put(out, 0, 4);
    put(out, 0, 4);
    put(out, 0, 4);
    // Colour rows, bottom row first, as BGRA.
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            switch (picture[y][x]) {
            case '#':
                put(out, 0xFF000000, 4);
                break;
            case 'o':
                put(out, 0xFFFFFFFF, 4);
                break;
            default:
                put(out, 0x00000000, 4);
                break;
            }
        }
    }
    // AND mask, bottom row first: a set bit leaves the screen showing through.
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRowBytes, 0);
        for (int x = 0; x < size; ++x)
            if (picture[y][x] == '.')
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_cursor OUTPUT.CUR\n");
        return 2;
    }
    if (picture[hotSpotY][hotSpotX] == '.') {
        std::fprintf(stderr, "make_cursor: the hot spot lies on a transparent pixel\n");
        return 1;
    }
    const std::vector<std::uint8_t> bytes = cursorFile();
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::fprintf(stderr, "make_cursor: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "make_cursor: cannot write %s\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
