// The file chooser and its sixteen kinds: what each kind asks for (title,
// filters, open or save, default extension, overwrite prompt), kept apart from
// the dialog itself so the rules can be checked without a window.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

class QWidget;

namespace kestrel {

inline constexpr int kChooserKinds = 16;
// Longer chosen names are refused.
inline constexpr std::size_t kMaxFileNameLength = 260;

namespace chooser {
enum : int {
    kLoadCmd = 0,
    kLoadBasic = 1,
    kAttachWav = 2,
    kAttachCas = 3,
    kAutostart = 4,
    kAttachDisk = 5,
    kSelectRom = 6,
    kLoadSnapshot = 7,
    kCreateWav = 9,
    kSaveMemoryAsCas = 10,
    kSaveScreen = 11,
    kRecordCas = 12,
    kSaveSnapshot = 13,
    kSaveVideo = 14,
    kSaveSoundWav = 15,
};
}

struct ChooserFilter {
    std::string text;     // as shown, e.g. "BAS files (*.bas;*.txt)"
    std::string pattern;  // e.g. "*.bas;*.txt"
};

struct ChooserSpec {
    bool valid = false;  // false for kind 8 and out-of-range kinds
    std::string title;
    std::vector<ChooserFilter> filters;
    bool save = false;
    bool overwritePrompt = false;
    // Save kinds only; kind 11 uses it for the GIF filter and "bmp" for the others.
    std::string defaultExtension;
};

ChooserSpec chooserSpec(int kind);

// The filter in Qt's form: the display text without its pattern part, then the
// patterns space-separated in parentheses ("*.*" means every file, so "*").
std::string qtFilterString(const ChooserFilter& filter);

// The extension a save name without a dot gets with filter `filterIndex`
// selected; empty for open kinds.
std::string defaultExtensionFor(int kind, int filterIndex);

// `path` with "." and the default extension appended when its file name has no
// dot and the kind saves; otherwise unchanged.
std::string withDefaultExtension(int kind, int filterIndex, const std::string& path);

// The interactive chooser. Remembers, per kind, the filter the user last picked
// for as long as this object lives.
class FileChooser {
public:
    // 1 and the name in `path`, or 0 when cancelled, empty or too long.
    int chooseFile(QWidget* owner, int kind, std::string& path);
    int lastFilter(int kind) const;

private:
    std::array<int, kChooserKinds> lastFilter_{};
};

}  // namespace kestrel
