// Text "typed" into the machine one key at a time through the keyboard trap:
// autostart commands, BAS/TXT listings and pasted text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace kestrel {

class TypedText {
public:
    // A typed listing is never this large; a bigger file is refused, not read.
    static constexpr size_t kMaxFileSize = size_t{1} << 20;

    // 1, or 0 when no memory could be had (then typedLength is 0).
    int setTypedText(std::string_view text);
    // Adds text after what is still to be typed (or sets it when nothing is);
    // a CR left open at the end first gets the byte it swallows, so the text
    // arrives whole. 1, or 0 when no memory could be had (nothing changes).
    int appendTypedText(std::string_view text);
    void freeTypedText();
    // The next key; ended is set (and 0 returned) once the text is used up.
    // At the hold point it gives 0 without ending.
    uint8_t nextTypedChar(bool& ended);

    // Typing stops at the present end of the text until releaseHold(): the
    // machine reads no key there, and text appended later waits behind it.
    void holdAtEnd();
    // Typing goes on after the hold point (skipping what was not typed before it).
    void releaseHold();
    bool holding() const { return holdPos_ != kNoHold; }
    // The machine asked for a key at the hold point: it waits for input.
    bool holdReached() const { return holdReached_; }
    // Keys are left to type (not counting a hold).
    bool hasKeysLeft() const { return typedText && typedPos < typedLength; }

    bool hasTypedText() const { return typedText != nullptr; }

    // Kept with a terminating zero after typedLength bytes.
    std::unique_ptr<uint8_t[]> typedText;
    size_t typedLength = 0;
    size_t typedPos = 0;


private:
    static constexpr size_t kNoHold = SIZE_MAX;
    bool adopt(const uint8_t* bytes, size_t length);
    // Where the reader stands once everything from `from` has been typed: one
    // past the end when the last byte is a CR that would swallow a byte more.
    size_t readerEnd(size_t from) const;

    size_t holdPos_ = kNoHold;
    bool holdReached_ = false;
};

// A listing's keys: every line end (LF, CR or CR LF) becomes one RETURN and
// the last line gets one when it has none.
std::string listingKeys(std::span<const uint8_t> bytes);

// Text given on a command line: "\n" (or a line feed) is one RETURN, "\r" a
// CR as the typed text takes it (it swallows the byte after it), "\\" a
// backslash.
std::string unescapeTypedText(std::string_view text);

}  // namespace kestrel
