// Text "typed" into the machine one key at a time through the keyboard trap:
// autostart commands, BAS/TXT listings and pasted text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace kestrel {

class TypedText {
public:
    // A typed listing is never this large; a bigger file is refused, not read.
    static constexpr size_t kMaxFileSize = size_t{1} << 20;

    // 1, or 0 when no memory could be had (then typedLength is 0).
    int setTypedText(std::string_view text);
    // 1, or 0 when the file cannot be opened or is larger than kMaxFileSize (the
    // reason is in lastError and on diagnostics); a refused file leaves the
    // buffer as it was.
    int loadTypedTextFile(const std::string& path);
    void freeTypedText();
    // The next key; ended is set (and 0 returned) once the text is used up.
    uint8_t nextTypedChar(bool& ended);

    bool hasTypedText() const { return typedText != nullptr; }

    // Kept with a terminating zero after typedLength bytes.
    std::unique_ptr<uint8_t[]> typedText;
    size_t typedLength = 0;
    size_t typedPos = 0;

    std::string lastError;
    std::FILE* diagnostics = nullptr;

private:
    bool adopt(const uint8_t* bytes, size_t length);
};

}  // namespace kestrel
