#include "frontend/file_choosers.h"

#include <QFileDialog>
#include <QStringList>

namespace kestrel {

namespace {

const ChooserFilter kAll{"All (*.*)", "*.*"};
const ChooserFilter kAllFiles{"All Files (*.*)", "*.*"};

ChooserSpec openSpec(const char* title, ChooserFilter first) {
    ChooserSpec s;
    s.valid = true;
    s.title = title;
    s.filters = {std::move(first), kAll};
    return s;
}

ChooserSpec saveSpec(const char* title, std::vector<ChooserFilter> filters, bool overwrite, const char* extension) {
    ChooserSpec s;
    s.valid = true;
    s.title = title;
    s.filters = std::move(filters);
    s.save = true;
    s.overwritePrompt = overwrite;
    s.defaultExtension = extension;
    return s;
}

// The last path component, for the dot test: a dot in a directory name is no extension.
std::string fileNamePart(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ChooserSpec chooserSpec(int kind) {
    switch (kind) {
    case chooser::kLoadCmd:
        return openSpec("Load CMD image", {"CMD files (*.cmd)", "*.cmd"});
    case chooser::kLoadBasic:
        return openSpec("Load BAS file", {"BAS files (*.bas;*.txt)", "*.bas;*.txt"});
    case chooser::kAttachWav:
        return openSpec("Attach tape sample file", {"44.1 kHz, 8 bit mono WAV (*.wav)", "*.wav"});
    case chooser::kAttachCas:
        return openSpec("Attach CAS file", {"CAS files (*.cas)", "*.cas"});
    case chooser::kAutostart:
        return openSpec("Autostart emulator image...",
                        {"EACA Genie files (*.bas,*.cas,*.cmd,*.dsk,*.hts,*.txt)", "*.bas;*.cas;*.cmd;*.dsk;*.hts;*.txt"});
    case chooser::kAttachDisk:
        return openSpec("Attach disk image...", {"DSK/JV1/JV3 files (*.dsk,*.jv1,*.jv3)", "*.dsk;*.jv1;*.jv3"});
    case chooser::kSelectRom:
        return openSpec("Select ROM image", {"ROM images (*.rom)", "*.rom"});
    case chooser::kLoadSnapshot:
        return openSpec("Load emulator snaphsot file", {"HTS files (*.hts)", "*.hts"});
    case chooser::kCreateWav:
        return saveSpec("Save WAV file", {{"WAV files (*.wav)", "*.wav"}, kAll}, false, "wav");
    case chooser::kSaveMemoryAsCas:
        return saveSpec("Save memory as CAS file", {{"CAS files (*.cas)", "*.cas"}, kAllFiles}, true, "cas");
    case chooser::kSaveScreen:
        return saveSpec("Save screen as...", {{"GIF files (*.gif)", "*.gif"}, {"BMP files (*.bmp)", "*.bmp"}, kAll},
                        false, "gif");
    case chooser::kRecordCas:
        return saveSpec("Save CAS tape file under name...", {{"CAS files (*.cas)", "*.cas"}, kAllFiles}, true, "cas");
    case chooser::kSaveSnapshot:
        return saveSpec("Save emulator snapshot as...", {{"HTS files (*.hts)", "*.hts"}, kAllFiles}, true, "hts");
    case chooser::kSaveVideo:
        return saveSpec("Save video...", {{"AVI files (*.avi)", "*.avi"}, kAllFiles}, true, "avi");
    case chooser::kSaveSoundWav:
        return saveSpec("Save to WAV...", {{"16 bit; mono; 44,100 kHz PCM (*.wav)", "*.wav"}}, true, "wav");
    default:
        return {};
    }
}

std::string qtFilterString(const ChooserFilter& filter) {
    std::string label = filter.text;
    const auto open = label.rfind(" (");
    if (open != std::string::npos && label.back() == ')') label.erase(open);
    std::string patterns;
    size_t start = 0;
    while (start <= filter.pattern.size()) {
        size_t end = filter.pattern.find(';', start);
        if (end == std::string::npos) end = filter.pattern.size();
        std::string one = filter.pattern.substr(start, end - start);
        if (one == "*.*") one = "*";
        if (!one.empty()) patterns += (patterns.empty() ? "" : " ") + one;
        start = end + 1;
    }
    return label + " (" + patterns + ")";
}

std::string defaultExtensionFor(int kind, int filterIndex) {
    const ChooserSpec kindInfo = chooserSpec(kind);
    if (!kindInfo.save) return {};
    if (kind == chooser::kSaveScreen && filterIndex != 0) return "bmp";
    return kindInfo.defaultExtension;
}

std::string withDefaultExtension(int kind, int filterIndex, const std::string& path) {
    const std::string extension = defaultExtensionFor(kind, filterIndex);
    if (extension.empty() || path.empty() || fileNamePart(path).find('.') != std::string::npos) return path;
    return path + "." + extension;
}

int FileChooser::lastFilter(int kind) const {
    return kind >= 0 && kind < kChooserKinds ? lastFilter_[static_cast<size_t>(kind)] : 0;
}

int FileChooser::chooseFile(QWidget* owner, int kind, std::string& path) {
    const ChooserSpec kindInfo = chooserSpec(kind);
    if (!kindInfo.valid) return 0;
    QStringList filters;
    for (const auto& f : kindInfo.filters) filters << QString::fromStdString(qtFilterString(f));

    QFileDialog dialog(owner, QString::fromStdString(kindInfo.title));
    dialog.setNameFilters(filters);
    const int remembered = lastFilter(kind);
    dialog.selectNameFilter(filters.value(remembered, filters.first()));
    if (kindInfo.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The dialog's own overwrite check must see the final name; the kinds that
        // prompt all have one fixed extension. The others get it appended below.
        if (kindInfo.overwritePrompt) dialog.setDefaultSuffix(QString::fromStdString(kindInfo.defaultExtension));
        else dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted) return 0;

    const int picked = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    if (picked >= 0) lastFilter_[static_cast<size_t>(kind)] = picked;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return 0;
    std::string name = withDefaultExtension(kind, picked < 0 ? 0 : picked, files.first().toStdString());
    if (name.empty() || name.size() > kMaxFileNameLength) return 0;
    path = name;
    return 1;
}

}  // namespace kestrel
