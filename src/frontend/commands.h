// What the file and machine commands of the menu work with: the file chooser,
// the interactive hooks and the screenshot and tape steps. The commands
// themselves are rows of the command table; window commands (run state,
// display switches) are carried out by the main window.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "frontend/address_panel.h"
#include "frontend/file_choosers.h"
#include "capture/sound_recording.h"
#include "capture/video_recording.h"
#include "session/disks.h"

namespace kestrel {

class FrontEnd;

class Commands {
public:
    // The interactive steps, replaceable so the commands can run without a user.
    struct Hooks {
        // As FileChooser::chooseFile: 1 and the name, or 0.
        std::function<int(int kind, std::string& path)> chooseFile;
        // The address panel after the kind-10 chooser; false when cancelled.
        std::function<bool(CasAddresses& addresses)> askAddresses;
        // A message box with the error icon.
        std::function<void(const std::string& title, const std::string& text)> showError;
        std::function<void()> about;
        // The machine configuration dialog.
        std::function<void()> configure;
        // The pause before a cold restart.
        std::function<void(int milliseconds)> sleep;
        // The tape head adjust dialog; false when cancelled.
        std::function<bool(int& level, bool& inverted)> askTapeHead;
        // A Yes/No question in a box titled "Warning"; true for Yes.
        std::function<bool(const std::string& text)> askWarning;
        // The video codec and its quality; false when cancelled.
        std::function<bool(std::string& codec, uint32_t& quality)> askVideoCodec;
    };

    explicit Commands(FrontEnd& frontEnd);
    Commands(const Commands&) = delete;
    Commands& operator=(const Commands&) = delete;

    // Carries out command `id` by its row; false when it is not one of these commands.
    bool execute(int id);
    // How a changed disk is dealt with: the user is asked (askWarning).
    const DiskPrompts& diskPrompts() const { return diskPrompts_; }
    // The four drive items show what each drive holds.
    void refreshDiskLabels();
    // Autostarts a file with the user's switches; a disk goes into drive 0.
    IoResult autostart(const std::string& path);
    // "Sa&ve to WAV...": stops a running sound recording, or asks for a file
    // (chooser kind 15) and starts one; the item is checked while it runs.
    void toggleSoundRecording();
    void stopSoundRecording();
    const SoundRecording& soundRecording() const { return soundRecording_; }
    // "Sa&ve to video...": stops a running video recording, or asks for a file
    // (chooser kind 14) and a codec and starts one; checked while it runs.
    void toggleVideoRecording();
    // Starts recording into `path` with the remembered codec (option /v).
    void startVideoRecording(const std::string& path);
    void stopVideoRecording();
    // The frame just run, and its sound, into the running recording.
    void writeVideoFrame();
    bool videoRecording() const { return videoRecording_.recording(); }
    // The 16 x 64 screen onto the host clipboard as text.
    void copyScreen();
    // The clipboard's text typed into the machine, in place of any text still
    // to type. Longer text than kMaxPaste is refused, said in the status bar.
    void paste();
    static constexpr int kMaxPaste = 64 << 10;
    // The ROM has begun writing a tape (between frames): the tape-recording
    // chooser (kind 12) picks the file, and the machine goes on.
    void answerTapeRecording();

    Hooks& hooks() { return hooks_; }
    FileChooser& fileChooser() { return chooser_; }

private:
    friend struct CommandTable;  // its rows are these commands

    // The chooser followed by resetPacing(); false when nothing was chosen.
    bool choose(int kind, std::string& path);
    void screenshot();
    void screenshotAs();
    void saveMemoryAsCas();

    FrontEnd& fe_;
    DiskPrompts diskPrompts_;
    SoundRecording soundRecording_;
    VideoRecording videoRecording_;
    FileChooser chooser_;
    Hooks hooks_;
};

}  // namespace kestrel
