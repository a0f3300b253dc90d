// A small, strict GIF87a reader for the screenshot tests. It decodes the LZW data
// the way any GIF decoder does (prefix table, code width growing when the next
// entry reaches 2^width) and, from the decoder's side, checks the rules our encoder
// follows: greedy strings of at most 96 pixels, a lone pixel then a clear exactly
// when the table gets crowded, and sub-blocks cut as soon as more than 250 complete
// bytes are pending.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace kestrel::gifcheck {

struct Clear {
    int lastEntry = 0;  // the code the decoder entered just before the clear
    int strings = 0;    // distinct strings in the table
    int storage = 0;    // 1 + (length + 3) per distinct string
};

struct Result {
    std::string error;  // empty when every check passed
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // the global colour table, 768 bytes
    std::vector<uint8_t> pixels;
    std::vector<int> blockLengths;
    size_t dataBytes = 0;
    // Pixels per code, one list per run between clears.
    std::vector<std::vector<int>> segments;
    std::vector<Clear> clears;
};

inline int le16(const std::vector<uint8_t>& f, size_t at) { return f[at] | (f[at + 1] << 8); }

inline Result check(const std::vector<uint8_t>& file) {
    Result r;
    auto fail = [&r](const std::string& why) {
        if (r.error.empty()) r.error = why;
        return r;
    };
    if (file.size() < 794) return fail("file too short");
    if (std::string(file.begin(), file.begin() + 6) != "GIF87a") return fail("bad signature");
    r.width = le16(file, 6);
    r.height = le16(file, 8);
    if (file[10] != 0xF7 || file[11] != 0 || file[12] != 0) return fail("bad screen descriptor");
    r.rgb.assign(file.begin() + 13, file.begin() + 781);
    if (file[781] != 0x2C || le16(file, 782) != 0 || le16(file, 784) != 0 || le16(file, 786) != r.width ||
        le16(file, 788) != r.height || file[790] != 0 || file[791] != 8)
        return fail("bad image descriptor");

    std::vector<uint8_t> data;
    size_t pos = 792;
    for (;;) {
        if (pos >= file.size()) return fail("sub-blocks run past the end");
        const int length = file[pos++];
        if (length == 0) break;
        if (pos + length > file.size()) return fail("sub-block runs past the end");
        r.blockLengths.push_back(length);
        data.insert(data.end(), file.begin() + pos, file.begin() + pos + length);
        pos += length;
    }
    if (pos + 1 != file.size() || file[pos] != 0x3B) return fail("no trailer right after the terminator");
    r.dataBytes = data.size();

    const size_t totalBits = data.size() * 8;
    size_t bitPos = 0;
    auto read = [&](int width, int& code) {
        if (bitPos + width > totalBits) return false;
        code = 0;
        for (int i = 0; i < width; ++i, ++bitPos)
            if (data[bitPos / 8] & (1 << (bitPos % 8))) code |= 1 << i;
        return true;
    };

    size_t blockStart = 0;
    size_t blockIndex = 0;
    // Called after every code but the end code.
    auto checkBlockCut = [&]() {
        const size_t complete = bitPos / 8 - blockStart;
        if (complete <= 250) return true;
        if (blockIndex >= r.blockLengths.size() || r.blockLengths[blockIndex] != static_cast<int>(complete))
            return false;
        blockStart += complete;
        ++blockIndex;
        return true;
    };

    std::vector<std::string> table(4096);
    for (int i = 0; i < 256; ++i) table[i] = std::string(1, static_cast<char>(i));
    std::unordered_set<std::string> distinct;
    int width = 9, nextEntry = 258, prev = -1, strings = 0, storage = 1;
    bool started = false, expectClear = false;
    const size_t pixelCount = static_cast<size_t>(r.width) * r.height;

    for (;;) {
        int code = 0;
        if (!read(width, code)) return fail("data ended before the end code");
        if (code == 257) break;
        if (!checkBlockCut()) return fail("sub-block not cut where more than 250 bytes were pending");
        if (code == 256) {
            if (started) {
                if (!expectClear) return fail("clear code while the table was not crowded");
                r.clears.push_back({nextEntry - 1, strings, storage});
            }
            started = true;
            r.segments.emplace_back();
            width = 9;
            nextEntry = 258;
            prev = -1;
            distinct.clear();
            strings = 0;
            storage = 1;
            expectClear = false;
            continue;
        }
        if (!started) return fail("data does not start with a clear code");
        if (expectClear) return fail("table crowded but no clear code followed");

        std::string current;
        if (code < 256 || (code >= 258 && code < nextEntry))
            current = table[code];
        else if (code == nextEntry && prev >= 0)
            current = table[prev] + table[prev][0];
        else
            return fail("code " + std::to_string(code) + " not yet defined");

        if (prev >= 0) {
            const std::string entry = table[prev] + current[0];
            // The previous string was the longest known match unless it was capped.
            if (table[prev].size() < 96 && distinct.count(entry))
                return fail("string not extended although a longer match was known");
            if (nextEntry > 4095) return fail("table overflow");
            table[nextEntry] = entry;
            if (distinct.insert(entry).second) {
                ++strings;
                storage += static_cast<int>(entry.size()) + 3;
            }
            expectClear = nextEntry > 4093 || strings > 3335 || storage > 15379;
            if (expectClear && current.size() != 1) return fail("code before a clear is not a single pixel");
            ++nextEntry;
        }
        if (current.size() > 96) return fail("string longer than 96 pixels");
        if (r.pixels.size() + current.size() > pixelCount) return fail("more pixels than the image holds");
        r.pixels.insert(r.pixels.end(), current.begin(), current.end());
        r.segments.back().push_back(static_cast<int>(current.size()));
        prev = code;
        if (nextEntry == (1 << width) && width < 12) ++width;
    }
    if (expectClear) return fail("end code where a clear was due");
    if (r.pixels.size() != pixelCount) return fail("fewer pixels than the image holds");
    const size_t usedBytes = (bitPos + 7) / 8;
    if (usedBytes != data.size()) return fail("data after the end code");
    if (bitPos % 8 && (data.back() >> (bitPos % 8)) != 0) return fail("padding bits not zero");
    if (blockIndex + 1 != r.blockLengths.size() || r.blockLengths.back() != static_cast<int>(usedBytes - blockStart))
        return fail("last sub-block does not hold exactly what remained");
    return r;
}

}  // namespace kestrel::gifcheck
