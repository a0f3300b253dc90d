#include "frontend/command_line.h"

#include <QCommandLineParser>
#include <QStringList>
#include <array>
#include <cmath>
#include <map>

namespace kestrel {

namespace {

struct OptionRow {
    char slash;            // the original program's letter, 0 for none
    const char* name;      // the GNU name
    const char* valueName; // null for a switch
    const char* help;
};

constexpr std::array kOptions = {
    OptionRow{'a', "no-autorun", nullptr, "Load later autostarted files without running them (/a)."},
    OptionRow{'b', "autostart", "FILE", "Autostart FILE at once (/b)."},
    OptionRow{'d', "no-double-scan", nullptr, "Turn double scan off (/d)."},
    OptionRow{'g', "hires", nullptr, "Fit the Lowe LE18 hi-res board (/g)."},
    OptionRow{'h', "no-sound", nullptr, "Turn sound off (/h)."},
    OptionRow{'i', "disk", "FILE", "Put the disk image FILE into drive 0 (/i)."},
    OptionRow{'m', "machine", "N", "Run standard machine N, 1 to 4, with a full reset (/mN)."},
    OptionRow{'r', "ram", "KB", "RAM size, 16 or 48 kilobytes (/r)."},
    OptionRow{'s', "screenshot-after", "S", "Take a screenshot after S emulated seconds (/s)."},
    OptionRow{'t', "quit-after", "S", "Quit after S emulated seconds (/t)."},
    OptionRow{'v', "record-video", "FILE", "Record video to FILE from the start (/v)."},
    OptionRow{'w', "no-speed-limit", nullptr, "Run as fast as the host can (/w)."},
    OptionRow{0, "rom-dir", "DIR", "Read ROM images from DIR."},
    OptionRow{0, "type", "TEXT", "Type TEXT after what FILE types (\\n for RETURN)."},
    OptionRow{0, "print-title", nullptr, "Write every window title change to standard error."},
    OptionRow{0, "screenshot-window", "FILE", "When --quit-after closes the window, save its client area as BMP."},
    OptionRow{0, "frame-image", "FILE", "Likewise save the machine's frame image as BMP."},
};

const OptionRow* slashRow(char letter) {
    for (const OptionRow& row : kOptions)
        if (row.slash == letter) return &row;
    return nullptr;
}

bool allDigits(const std::string& s, size_t from) {
    for (size_t i = from; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

// "--name" of an option that reads the next argument.
bool takesValue(const std::string& a) {
    for (const OptionRow& row : kOptions)
        if (row.valueName && a == std::string("--") + row.name) return true;
    return false;
}

// "/x", or "/m" with digits; anything longer is a path.
bool isSlashOption(const std::string& a) {
    if (a.size() < 2 || a[0] != '/') return false;
    return a.size() == 2 || (a[1] == 'm' && allDigits(a, 2));
}

// The slash options rewritten as their GNU forms, kept in place. As in the
// original, an option's value that is itself a slash option counts as that
// option too; any other value is only a value (so "/b FILE" as the last two
// arguments autostarts FILE once, and "/r 16" does not autostart "16").
QStringList translateSlashOptions(const std::vector<std::string>& args, std::vector<std::string>& warnings) {
    QStringList out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {  // the rest are files
            for (; i < args.size(); ++i) out << QString::fromStdString(args[i]);
            break;
        }
        if (!isSlashOption(a)) {
            out << QString::fromStdString(a);
            // A GNU option's value is taken as it stands, "/r" included.
            if (takesValue(a) && i + 1 < args.size()) out << QString::fromStdString(args[++i]);
            continue;
        }
        const OptionRow* row = slashRow(a[1]);
        if (!row) {
            warnings.push_back("option " + a + " ignored");
            continue;
        }
        out << QStringLiteral("--") + QLatin1String(row->name);
        if (a[1] == 'm') {
            // /m1../m4 are the standard machines; any other number the first.
            const int n = a.size() == 3 ? a[2] - '0' : 0;
            out << QString::number(n >= 1 && n <= 4 ? n : 1);
            continue;
        }
        if (!row->valueName || i + 1 >= args.size()) continue;
        const std::string& value = args[i + 1];
        // Exactly "16" is 16 KB; anything else 48 KB.
        out << (a[1] == 'r' ? QString::fromLatin1(value == "16" ? "16" : "48") : QString::fromStdString(value));
        if (!isSlashOption(value)) ++i;
    }
    return out;
}

bool parseSeconds(const QString& text, double& seconds) {
    bool ok = false;
    seconds = text.toDouble(&ok);
    return ok && std::isfinite(seconds) && seconds >= 0 && seconds < 1e9;
}

}  // namespace

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, std::string& error) {
    CommandLine line;
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    std::map<QString, const OptionRow*> rows;
    for (const OptionRow& row : kOptions) {
        QCommandLineOption option(QLatin1String(row.name), QLatin1String(row.help));
        if (row.valueName) option.setValueName(QLatin1String(row.valueName));
        parser.addOption(option);
        rows[QLatin1String(row.name)] = &row;
    }
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")));
    parser.addOption(QCommandLineOption(QStringLiteral("version"), QStringLiteral("Show the version.")));

    QStringList list = translateSlashOptions(args, line.warnings);
    list.prepend(QStringLiteral("kestrel"));
    if (!parser.parse(list)) {
        error = parser.errorText().toStdString();
        return std::nullopt;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        error = "only one file can be started; got " + files.join(QStringLiteral(", ")).toStdString();
        return std::nullopt;
    }
    if (!files.isEmpty()) line.file = files.first().toStdString();

    // Options in the order given; a name given twice takes its values in turn.
    std::map<QString, int> taken;
    for (const QString& name : parser.optionNames()) {
        if (name == QLatin1String("h") || name == QLatin1String("help")) {
            line.help = true;
            continue;
        }
        if (name == QLatin1String("version")) {
            line.version = true;
            continue;
        }
        const OptionRow& row = *rows.at(name);
        const QString value = row.valueName ? parser.values(name).value(taken[name]++) : QString();
        const std::string text = value.toStdString();
        StartAction action{};
        const std::string option = "--" + std::string(row.name);
        switch (row.slash) {
        case 'a': action.kind = StartAction::kNoAutorun; break;
        case 'b': action = {StartAction::kAutostart, text}; break;
        case 'd': action.kind = StartAction::kNoDoubleScan; break;
        case 'g': action.kind = StartAction::kHiRes; break;
        case 'h': action.kind = StartAction::kNoSound; break;
        case 'i': action = {StartAction::kDisk, text}; break;
        case 'm': {
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok || n < 1 || n > 4) {
                error = option + " takes a machine number from 1 to 4, not " + text;
                return std::nullopt;
            }
            action = {StartAction::kMachine, {}, n - 1};
            break;
        }
        case 'r':
            if (text != "16" && text != "48") {
                error = option + " takes 16 or 48, not " + text;
                return std::nullopt;
            }
            action = {StartAction::kRam, {}, text == "16" ? 16 : 48};
            break;
        case 's':
        case 't':
            action.kind = row.slash == 's' ? StartAction::kScreenshotAfter : StartAction::kQuitAfter;
            if (!parseSeconds(value, action.seconds)) {
                error = option + " takes a number of seconds, not " + text;
                return std::nullopt;
            }
            break;
        case 'v': action = {StartAction::kRecordVideo, text}; break;
        case 'w': action.kind = StartAction::kNoSpeedLimit; break;
        default:
            if (name == QLatin1String("rom-dir")) line.romDir = text;
            else if (name == QLatin1String("type")) line.type = text;
            else if (name == QLatin1String("print-title")) line.printTitle = true;
            else if (name == QLatin1String("screenshot-window")) line.screenshotWindow = text;
            else if (name == QLatin1String("frame-image")) line.frameImage = text;
            continue;
        }
        if (row.valueName && text.empty()) {
            error = option + " needs a value";
            return std::nullopt;
        }
        line.actions.push_back(action);
    }
    return line;
}

std::string commandLineUsage() {
    std::string text =
        "Usage: kestrel [options] [FILE]\n"
        "Runs an EACA EG3003 Video Genie or TRS-80 Model I in a window. FILE (CMD, CAS,\n"
        "BAS, TXT, HTS, DSK, JV1 or JV3) is autostarted.\n\n"
        "Options:\n";
    for (const OptionRow& row : kOptions) {
        std::string left = std::string("  --") + row.name + (row.valueName ? std::string(" ") + row.valueName : "");
        left.resize(std::max<size_t>(left.size() + 2, 28), ' ');
        text += left + row.help + "\n";
    }
    text += "  -h, --help                Show this help.\n"
            "  --version                 Show the version.\n\n"
            "The original program's options work too: /a /b /d /g /h /i /mN /r /s /t /v /w.\n"
            "An argument is one of them only when it is exactly two characters (or /m and\n"
            "digits); anything else that begins with a slash is a file.\n";
    return text;
}

}  // namespace kestrel
