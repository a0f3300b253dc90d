// The typed-text buffer: which key each byte of a text becomes, and which files are taken.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "devices/typed_text.h"
#include "media_files.h"

namespace kestrel {
namespace {

using namespace mediatest;

// Every key up to the end, then the call that reports the end.
std::vector<int> typeAll(TypedText& t) {
    std::vector<int> keys;
    for (int i = 0; i < 10000; ++i) {
        bool ended = true;
        const uint8_t c = t.nextTypedChar(ended);
        if (ended) {
            EXPECT_EQ(c, 0);
            keys.push_back(-1);
            return keys;
        }
        keys.push_back(c);
    }
    ADD_FAILURE() << "the text never ended";
    return keys;
}

TEST(TypedText, WhichKeyEachByteBecomes) {
    const std::pair<std::string, std::vector<int>> cases[] = {
        // Each CR swallows the byte after it, so the doubled CRs type one RETURN each.
        {"\r\rCLOAD\r\rRUN\r", {0x0D, 'C', 'L', 'O', 'A', 'D', 0x0D, 'R', 'U', 'N', 0x0D, -1}},
        // Caret and backquote are mapped, other bytes pass through.
        {"A^`\n\x7F", {'A', 0x5B, 0x27, 0x0A, 0x7F, -1}},
        // A CR LF line end is one RETURN; a CR that is the last byte ends the text.
        {"1\r\n2\r", {'1', 0x0D, '2', 0x0D, -1}},
        {"", {-1}},  // an empty text has already ended
    };
    TypedText t;
    for (const auto& [text, keys] : cases) {
        ASSERT_EQ(t.setTypedText(text), 1);
        EXPECT_EQ(t.typedLength, text.size());
        EXPECT_EQ(t.typedPos, 0u);
        EXPECT_EQ(typeAll(t), keys) << text;
    }
    // The end keeps being reported.
    bool ended = false;
    EXPECT_EQ(t.nextTypedChar(ended), 0);
    EXPECT_TRUE(ended);
}

TEST(TypedText, NoTextOrAFreedTextEndsAtOnceAndAppendedTextComesAfterWhatIsPending) {
    TypedText t;
    bool ended = false;
    EXPECT_EQ(t.nextTypedChar(ended), 0);
    EXPECT_TRUE(ended);
    ASSERT_EQ(t.setTypedText("RUN"), 1);
    t.freeTypedText();
    EXPECT_FALSE(t.hasTypedText());
    EXPECT_EQ(t.typedLength, 0u);
    ended = false;
    EXPECT_EQ(t.nextTypedChar(ended), 0);
    EXPECT_TRUE(ended);

    // Nothing pending: appending sets; setting starts from the new text's first byte.
    ASSERT_EQ(t.appendTypedText("AB"), 1);
    EXPECT_EQ(t.nextTypedChar(ended), 'A');
    ASSERT_EQ(t.setTypedText("XY"), 1);
    EXPECT_EQ(t.nextTypedChar(ended), 'X');
    // A last CR would swallow the first appended byte; it does not.
    ASSERT_EQ(t.appendTypedText("\r\nRUN\r"), 1);
    ASSERT_EQ(t.appendTypedText("XY"), 1);
    EXPECT_EQ(typeAll(t), (std::vector<int>{'Y', 0x0D, 'R', 'U', 'N', 0x0D, 'X', 'Y', -1}));
}

TEST(TypedText, AHoldStopsTypingWithoutEndingUntilReleased) {
    TypedText t;
    ASSERT_EQ(t.setTypedText("\r"), 1);
    t.holdAtEnd();
    ASSERT_EQ(t.appendTypedText("GO"), 1);
    bool ended = true;
    EXPECT_EQ(t.nextTypedChar(ended), 0x0D);
    EXPECT_FALSE(t.holdReached());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t.nextTypedChar(ended), 0);
        EXPECT_FALSE(ended);
    }
    EXPECT_TRUE(t.holdReached());
    t.releaseHold();
    EXPECT_FALSE(t.holding());
    EXPECT_EQ(typeAll(t), (std::vector<int>{'G', 'O', -1}));

    // Released before the reader got there: what came before the hold is dropped.
    ASSERT_EQ(t.setTypedText("AB"), 1);
    t.holdAtEnd();
    t.appendTypedText("C");
    t.releaseHold();
    EXPECT_EQ(typeAll(t), (std::vector<int>{'C', -1}));
}

TEST(TypedText, ListingLineEndsAndCommandLineEscapes) {
    const std::pair<std::string, std::string> listings[] = {
        {"1\n2\n", "1\r\n2\r\n"},     {"1\r2\r", "1\r\n2\r\n"}, {"1\r\n2\r\n", "1\r\n2\r\n"},
        {"1\n\n2", "1\r\n\r\n2\r\n"}, {"1\n\r2", "1\r\n\r\n2\r\n"}, {"", ""},
    };
    for (const auto& [bytes, keys] : listings) EXPECT_EQ(listingKeys(bytesOf(bytes)), keys) << bytes;

    // "\n" is one RETURN however it is combined; "\r" stays a CR that swallows.
    const std::pair<std::string, std::string> escapes[] = {
        {"RUN\\n", "RUN\r\n"}, {"A\\r\\nB", "A\r\nB"}, {"A\\n\\nB", "A\r\n\r\nB"},
        {"\\r\\rX\\r", "\r\rX\r"}, {"A\nB", "A\r\nB"}, {"C:\\\\x\\q", "C:\\x\\q"},
    };
    for (const auto& [given, typed] : escapes) EXPECT_EQ(unescapeTypedText(given), typed) << given;
}

}  // namespace
}  // namespace kestrel
