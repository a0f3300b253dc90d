#include "frontend/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <cstdlib>

#include "io/file_io.h"

namespace kestrel {

namespace {

// Far more than the names and paths it holds.
constexpr std::uintmax_t kMaxSettingsBytes = 1 << 20;
// A longer string is not a path the program wrote.
constexpr qsizetype kMaxStringLength = 4096;

QString key(const char* name) { return QString::fromLatin1(name); }

// `file` in the program's folder of an XDG base directory; empty without a home.
std::string xdgFile(const char* variable, const char* fallback, const char* file) {
    const char* set = std::getenv(variable);
    std::string base;
    // A relative XDG path is to be ignored.
    if (set && set[0] == '/') base = set;
    else if (const char* home = std::getenv("HOME"); home && home[0]) base = std::string(home) + fallback;
    else return {};
    return base + "/kestrel/" + file;
}

}  // namespace

std::string Settings::defaultPath() { return xdgFile("XDG_CONFIG_HOME", "/.config", "kestrel.ini"); }

std::string Settings::dataPath(const char* file) { return xdgFile("XDG_DATA_HOME", "/.local/share", file); }

Settings::Settings(const std::string& path, std::FILE* diagnostics) : path_(path), diagnostics_(diagnostics) {
    if (path.empty()) return;
    const QString file = QString::fromStdString(path);
    if (QFileInfo::exists(file)) {
        if (const IoResult fits = checkRegularFile(path, kMaxSettingsBytes); !fits) {
            say(fits.message);
            return;
        }
    } else if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        say("cannot make the directory " + QFileInfo(file).absolutePath().toStdString());
        return;
    }
    auto store = std::make_unique<QSettings>(file, QSettings::IniFormat);
    // Written through a file beside it that replaces it only when complete.
    store->setAtomicSyncRequired(true);
    if (store->status() != QSettings::NoError) {
        say(store->status() == QSettings::FormatError ? "not a settings file" : "cannot be read");
        return;
    }
    store_ = std::move(store);
}

Settings::~Settings() = default;

void Settings::say(const std::string& text) {
    if (said_) return;
    said_ = true;
    if (diagnostics_)
        std::fprintf(diagnostics_, "kestrel: settings %s: %s; the defaults are used\n", path_.c_str(), text.c_str());
}

bool Settings::readNumber(const char* name, uint32_t& value) {
    if (!store_) return false;
    const QVariant stored = store_->value(key(name));
    bool ok = false;
    const qulonglong number = stored.isValid() ? stored.toString().trimmed().toULongLong(&ok, 0) : 0;
    if (ok && number <= 0xFFFFFFFFu) {
        value = static_cast<uint32_t>(number);
        return true;
    }
    writeNumber(name, value);
    return false;
}

bool Settings::writeNumber(const char* name, uint32_t value) {
    if (!store_) return false;
    store_->setValue(key(name), static_cast<qulonglong>(value));
    return true;
}

bool Settings::readString(const char* name, std::string& value) {
    if (!store_) return false;
    const QVariant stored = store_->value(key(name));
    if (!stored.isValid()) return false;
    const QString text = stored.toString();
    if (text.size() > kMaxStringLength) return false;
    value = text.toStdString();
    return true;
}

bool Settings::writeString(const char* name, const std::string& text) {
    if (!store_) return false;
    store_->setValue(key(name), QString::fromStdString(text));
    return true;
}

bool Settings::sync() {
    if (!store_) return false;
    store_->sync();
    bool ok = store_->status() == QSettings::NoError;
    // A line in the old file that is not a setting shows as a format error at
    // the first write, though the file is written (without that line), and the
    // status sticks. A fresh store tells whether the values landed.
    if (store_->status() == QSettings::FormatError) {
        auto fresh = std::make_unique<QSettings>(store_->fileName(), QSettings::IniFormat);
        fresh->setAtomicSyncRequired(true);
        ok = fresh->status() == QSettings::NoError;
        // A stray "=x" line reads as an empty key, which QSettings will not look up.
        for (const QString& name : store_->allKeys())
            ok = ok && (name.isEmpty() || fresh->value(name).toString() == store_->value(name).toString());
        if (ok) store_ = std::move(fresh);
    }
    if (ok) return true;
    if (!said_ && diagnostics_)
        std::fprintf(diagnostics_, "kestrel: settings %s: cannot be written\n", path_.c_str());
    said_ = true;
    return false;
}

}  // namespace kestrel
