// The user's settings: numbers and strings under fixed names in an INI file
// under the XDG config directory, read once at start-up and written once at
// shutdown.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class QSettings;

namespace kestrel {

class Settings {
public:
    // $XDG_CONFIG_HOME/kestrel/kestrel.ini, or ~/.config/kestrel/kestrel.ini.
    static std::string defaultPath();
    // `file` in $XDG_DATA_HOME/kestrel, or ~/.local/share/kestrel (printer output).
    static std::string dataPath(const char* file);

    // Opens the store at `path` (its directory is made when missing). An
    // empty path, or a file that cannot be used, leaves a store that reads
    // nothing and writes nothing: the defaults stay in force. The reason goes
    // once to `diagnostics`.
    explicit Settings(const std::string& path, std::FILE* diagnostics = stderr);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    bool usable() const { return store_ != nullptr; }
    const std::string& path() const { return path_; }

    // Reads a number into `value`. When it is absent or not a number, the
    // value's current content is stored instead, so every default reaches the
    // store on first use; true when read.
    bool readNumber(const char* name, uint32_t& value);
    bool writeNumber(const char* name, uint32_t value);
    // `value` is left unchanged unless a string is read.
    bool readString(const char* name, std::string& value);
    bool writeString(const char* name, const std::string& text);
    // Writes the file (in one step, the old one kept on failure); false, said
    // once, when it could not be written.
    bool sync();

private:
    void say(const std::string& text);

    std::string path_;
    std::FILE* diagnostics_;
    std::unique_ptr<QSettings> store_;
    bool said_ = false;
};

}  // namespace kestrel
