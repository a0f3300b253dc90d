#include "devices/typed_text.h"

#include <cstring>
#include <new>

namespace kestrel {

bool TypedText::adopt(const uint8_t* bytes, size_t length) {
    freeTypedText();
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[length + 1]);
    if (!copy) return false;
    if (length) std::memcpy(copy.get(), bytes, length);
    copy[length] = 0;
    typedText = std::move(copy);
    typedLength = length;
    typedPos = 0;
    return true;
}

int TypedText::setTypedText(std::string_view text) {
    return adopt(reinterpret_cast<const uint8_t*>(text.data()), text.size()) ? 1 : 0;
}

size_t TypedText::readerEnd(size_t from) const {
    size_t i = from;
    while (i < typedLength) i += typedText[i] == 0x0D ? 2 : 1;
    return i;
}

int TypedText::appendTypedText(std::string_view text) {
    if (!typedText) return setTypedText(text);
    // A CR at the very end would swallow the first appended byte: give it one.
    const size_t filler = readerEnd(typedPos) > typedLength ? 1 : 0;
    const size_t length = typedLength + filler + text.size();
    std::unique_ptr<uint8_t[]> joined(new (std::nothrow) uint8_t[length + 1]);
    if (!joined) return 0;
    std::memcpy(joined.get(), typedText.get(), typedLength);
    if (filler) joined[typedLength] = '\n';
    if (!text.empty()) std::memcpy(joined.get() + typedLength + filler, text.data(), text.size());
    joined[length] = 0;
    typedText = std::move(joined);
    typedLength = length;
    return 1;
}

void TypedText::freeTypedText() {
    typedText.reset();
    typedLength = 0;
    typedPos = 0;
    holdPos_ = kNoHold;
    holdReached_ = false;
}

void TypedText::holdAtEnd() {
    if (!typedText && !setTypedText("")) return;
    // Close an open CR first, so the hold sits where the reader will stop.
    if (readerEnd(typedPos) > typedLength && !appendTypedText("")) return;
    holdPos_ = typedLength;
    holdReached_ = false;
}

void TypedText::releaseHold() {
    if (holdPos_ != kNoHold && typedPos < holdPos_) typedPos = holdPos_;
    holdPos_ = kNoHold;
    holdReached_ = false;
}

uint8_t TypedText::nextTypedChar(bool& ended) {
    ended = false;
    if (typedText && typedPos >= holdPos_) {
        holdReached_ = true;
        return 0;
    }
    if (!typedText || typedPos >= typedLength) {
        ended = true;
        return 0;
    }
    const uint8_t c = typedText[typedPos++];
    if (c == '^') return 0x5B;
    if (c == '`') return 0x27;
    if (c == 0x0D) {
        // A CR LF line end types one RETURN.
        ++typedPos;
        return 0x0D;
    }
    return c;
}

std::string listingKeys(std::span<const uint8_t> bytes) {
    // A RETURN is kept as CR LF, since the reader skips the byte after a CR.
    std::string keys;
    keys.reserve(bytes.size() + bytes.size() / 16 + 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint8_t c = bytes[i];
        if (c == '\r' || c == '\n') {
            keys += "\r\n";
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            keys.push_back(static_cast<char>(c));
        }
    }
    if (!keys.empty() && keys.back() != '\n') keys += "\r\n";
    return keys;
}

std::string unescapeTypedText(std::string_view text) {
    std::string out;
    bool swallowOpen = false;  // the last byte out is a CR that swallows the next
    auto put = [&](char c) {
        out.push_back(c);
        swallowOpen = c == '\r' && !swallowOpen;
    };
    auto putReturn = [&] {
        if (swallowOpen) {
            put('\n');  // "\r\n" is one RETURN
        } else {
            put('\r');
            put('\n');
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == 'r' || text[i + 1] == 'n' || text[i + 1] == '\\')) {
            const char e = text[++i];
            if (e == 'n')
                putReturn();
            else
                put(e == 'r' ? '\r' : '\\');
        } else if (c == '\n') {
            putReturn();
        } else {
            put(c);
        }
    }
    return out;
}

}  // namespace kestrel
