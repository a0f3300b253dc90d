#include "frontend/commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

#include "capture/screenshot.h"
#include "frontend/about_dialog.h"
#include "frontend/command_table.h"
#include "frontend/configuration_dialog.h"
#include "frontend/front_end.h"
#include "frontend/head_adjust_dialog.h"
#include "frontend/video_codec_dialog.h"
#include "machine/machine.h"
#include "machine/screen_text.h"
#include "session/autostart.h"
#include "session/snapshot.h"
#if KESTREL_HAVE_AVI
#include "avi/avi_encoder.h"
#endif

namespace kestrel {

namespace {

// The V80 file beside a screenshot, when the user wants one.
void saveVideoRamBeside(FrontEnd& fe, const std::string& screenshotPath) {
    if (!fe.state().saveVideoRamWithShots) return;
    if (IoResult written = saveVideoRam(fe.machine(), screenshotPath); !written) fe.showStatus(written.message);
}

}  // namespace

Commands::Commands(FrontEnd& frontEnd) : fe_(frontEnd) {
    hooks_.chooseFile = [this](int kind, std::string& path) { return chooser_.chooseFile(fe_.window(), kind, path); };
    hooks_.askAddresses = [this](CasAddresses& a) { return askCasAddresses(fe_.window(), a); };
    hooks_.showError = [this](const std::string& title, const std::string& text) {
        QMessageBox::critical(fe_.window(), QString::fromStdString(title), QString::fromStdString(text));
    };
    hooks_.about = [this] { aboutDialog(fe_.window()); };
    hooks_.configure = [this] { configurationDialog(fe_.window(), fe_.machine(), fe_.settings(), chooser_); };
    hooks_.sleep = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
    hooks_.askTapeHead = [this](int& level, bool& inverted) { return askTapeHead(fe_.window(), level, inverted); };
    hooks_.askVideoCodec = [this](std::string& codec, uint32_t& quality) {
        std::vector<VideoCodecChoice> choices;
#if KESTREL_HAVE_AVI
        for (const AviCodec& c : aviCodecs()) choices.push_back({c.name, c.label, c.takesQuality});
#endif
        int q = static_cast<int>(quality);
        const bool chosen = askVideoCodec(fe_.window(), std::move(choices), codec, q);
        quality = static_cast<uint32_t>(q);
        return chosen;
    };
    hooks_.askWarning = [this](const std::string& text) {
        return QMessageBox::warning(fe_.window(), "Warning", QString::fromStdString(text),
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    // Through hooks_ at the time of asking, so that a test can answer.
    diskPrompts_.saveChanges = [this](int drive) {
        const bool yes = hooks_.askWarning(saveChangesQuestion(drive));
        fe_.resetPacing();
        return yes;
    };
    diskPrompts_.discardUnsaved = [this](int drive, const std::string& reason) {
        const bool yes = hooks_.askWarning(reason + "\n\nTake the disk out of drive :" + std::to_string(drive) +
                                           " without saving it?");
        fe_.resetPacing();
        return yes;
    };
}

void Commands::copyScreen() {
    const std::string text = screenText(fe_.machine().memory().data() + 0x3C00, "\n");
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void Commands::paste() {
    const QByteArray text = QGuiApplication::clipboard()->text().toUtf8();
    if (text.isEmpty()) return;
    if (text.size() > kMaxPaste) {
        // Typed at the machine's pace it would keep it busy for hours.
        fe_.showStatus("Clipboard text too long to type: " + std::to_string(text.size()) + " bytes, at most " +
                       std::to_string(kMaxPaste));
        return;
    }
    const PastedKeys pasted = pastedKeys(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    fe_.machine().typeText(pasted.keys);
    if (pasted.dropped)
        fe_.showStatus(std::to_string(pasted.dropped) + (pasted.dropped == 1 ? " character" : " characters") +
                       " the machine has no key for left out of the paste");
}

void Commands::toggleSoundRecording() {
    if (soundRecording_.recording()) {
        stopSoundRecording();
        return;
    }
    std::string path;
    if (!choose(chooser::kSaveSoundWav, path)) return;
    if (IoResult started = soundRecording_.start(path); !started) {
        fe_.showStatus(started.message);
        return;
    }
    fe_.machine().recordSound([this](std::span<const int16_t> frame) {
        if (!soundRecording_.recording()) return false;
        if (soundRecording_.writeFrame(frame)) return true;
        // The recording stopped itself, its file whole up to here.
        fe_.showStatus(soundRecording_.lastError());
        fe_.setMenuChecked(cmd::kSaveWav, false);
        return false;
    });
    fe_.setMenuChecked(cmd::kSaveWav, true);
}

void Commands::stopSoundRecording() {
    fe_.machine().recordSound(nullptr);
    fe_.setMenuChecked(cmd::kSaveWav, false);
    if (!soundRecording_.recording()) return;
    const IoResult stopped = soundRecording_.stop();
    fe_.showStatus(stopped ? "Sound saved: " + fullPathText(soundRecording_.path()) : stopped.message);
}

IoResult Commands::autostart(const std::string& path) {
    IoResult started = autostartFile(fe_.machine(), path, fe_.autostartOptions(&diskPrompts_));
    refreshDiskLabels();
    return started;
}

void Commands::refreshDiskLabels() {
    const Machine& m = fe_.machine();
    for (int drive = 0; drive < Machine::kDrives; ++drive) {
        const std::string& path = m.diskPath(drive);
        fe_.setMenuText(cmd::kAttachDrive0 + drive,
                        "Drive :&" + std::to_string(drive) + " - " + (path.empty() ? "<no disk>" : path));
    }
}

void Commands::answerTapeRecording() {
    std::string path;
    choose(chooser::kRecordCas, path);  // nothing chosen: the recording is cancelled
    fe_.machine().answerTapeRecording(path);
}

bool Commands::choose(int kind, std::string& path) {
    std::string chosen;
    const int ok = hooks_.chooseFile(kind, chosen);
    // The dialog blocked the main loop.
    fe_.resetPacing();
    if (!ok || chosen.empty()) return false;
    path = chosen;
    return true;
}

bool Commands::execute(int id) {
    const CommandRow* row = findCommand(id);
    if (!row || !row->byCommands) return false;
    row->byCommands(*this, fe_, fe_.machine(), id);
    return true;
}

void Commands::saveMemoryAsCas() {
    std::string path;
    if (!choose(chooser::kSaveMemoryAsCas, path)) return;
    CasAddresses a;
    const bool accepted = hooks_.askAddresses(a);
    fe_.resetPacing();
    if (!accepted) return;
    const IoResult saved = fe_.machine().saveMemoryAsTape(path, a.from, a.end, a.entry);
    fe_.showStatus(saved ? "CAS image saved: " + fullPathText(path) : saved.message);
}

void Commands::screenshot() {
    Machine& m = fe_.machine();
    const StatusSink status = [this](const std::string& text) { fe_.showStatus(text); };
    const FrameImage& frame = m.frame();
    const ScreenshotResult shot = frame.bitsPerPixel == 8 ? autoGifScreenshot(frame, m.imageBaseName(), status)
                                                          : autoBmpScreenshot(frame, m.imageBaseName(), status);
    if (!shot.saved) fe_.showStatus(shot.message);
    saveVideoRamBeside(fe_, shot.path);
}

void Commands::screenshotAs() {
    std::string path;
    if (!choose(chooser::kSaveScreen, path)) return;
    const FrameImage& frame = fe_.machine().frame();
    const StatusSink status = [this](const std::string& text) { fe_.showStatus(text); };
    if (lowerExtension(path) == "gif" && frame.bitsPerPixel != 8) {
        hooks_.showError(kGifErrorTitle, gifErrorText(frame.bitsPerPixel));
        fe_.resetPacing();
    } else {
        const IoResult written = lowerExtension(path) == "gif" ? writeGif(frame, path, status)
                                                                : writeBmp(frame, path, status);
        if (!written) fe_.showStatus(written.message);
    }
    // The video RAM goes with the name even when the picture failed.
    saveVideoRamBeside(fe_, path);
}

void Commands::toggleVideoRecording() {
    if (videoRecording_.recording()) {
        stopVideoRecording();
        return;
    }
    std::string path;
    if (!choose(chooser::kSaveVideo, path)) return;
    FrontEndState& s = fe_.state();
    const bool chosen = hooks_.askVideoCodec(s.videoCodec, s.videoQuality);
    fe_.resetPacing();
    if (chosen) startVideoRecording(path);
}

void Commands::startVideoRecording(const std::string& path) {
    if (videoRecording_.recording()) return;
    Machine& m = fe_.machine();
    const FrontEndState& s = fe_.state();
#if KESTREL_HAVE_AVI
    std::unique_ptr<VideoEncoder> encoder = makeAviEncoder(s.videoCodec, static_cast<int>(s.videoQuality));
#else
    std::unique_ptr<VideoEncoder> encoder;
#endif
    // The picture keeps the size it starts with; the sound track is there when sound is.
    if (IoResult started = videoRecording_.start(std::move(encoder), path, m.frame(), m.activeConfig().frameHz, s.soundOn);
        !started) {
        fe_.showStatus("AVI: " + started.message);
        fe_.setMenuChecked(cmd::kSaveVideo, false);
        return;
    }
    m.tapSound([this](std::span<const int16_t> samples) { videoRecording_.addSound(samples); });
    fe_.setMenuChecked(cmd::kSaveVideo, true);
    fe_.showStatus("Streaming video to file: " + path + "...");
}

void Commands::writeVideoFrame() {
    if (!videoRecording_.recording()) return;
    if (!videoRecording_.writeFrame(fe_.machine().frame(), fe_.state().soundOn)) {
        // Stopped, the file playable up to the last frame that went in.
        fe_.machine().tapSound(nullptr);
        fe_.setMenuChecked(cmd::kSaveVideo, false);
        fe_.showStatus("Video stopped after " + std::to_string(videoRecording_.framesWritten()) +
                       " frames: " + videoRecording_.lastError());
        return;
    }
    const uint32_t frames = videoRecording_.framesWritten();
    if (frames % 100 == 0)
        fe_.showStatus("Streaming video... " + std::to_string(frames) + " frames written so far. Alt+I to stop.");
}

void Commands::stopVideoRecording() {
    fe_.machine().tapSound(nullptr);
    if (!videoRecording_.recording()) return;
    const IoResult stopped = videoRecording_.stop();
    fe_.setMenuChecked(cmd::kSaveVideo, false);
    fe_.showStatus(stopped ? "Video stream closed. " + std::to_string(videoRecording_.framesWritten()) +
                                 " frames written."
                           : stopped.message);
}

}  // namespace kestrel
