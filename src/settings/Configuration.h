#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The classroom settings a teacher writes in tarvimonda/tarvimonda.conf:
//
//   [Record]
//   Folder=/var/lib/tarvimonda
//   [Register]
//   Enabled=true
//   MaxMB=64
//
// The file is looked for in the per-user configuration folder
// ($XDG_CONFIG_HOME, ~/.config) and then in each system-wide one
// ($XDG_CONFIG_DIRS, /etc/xdg); for each key the first file that sets it
// wins, so a user's own file overrides the machine's.
// A school year of a whole school's games is a few tens of megabytes.
inline constexpr int kDefaultRegisterMaxMB = 64;

// Where a setting or a problem is: a file, and a line of it (0: the file
// as a whole).
struct ConfigurationPlace
{
    QString file;
    int line = 0;
    bool isSet() const { return !file.isEmpty(); }
    bool operator==(const ConfigurationPlace &) const = default;
};

// What a configuration key sets; a problem says what it would have set.
enum ConfigurationConcern { kConcernsNothing = 0, kConcernsRecord = 1, kConcernsRegister = 2 };

// A file or line that could not be used, as found. The windows word it.
struct ConfigurationProblem
{
    enum class Kind : quint8 {
        Unreadable,      // the file cannot be read (error)
        NotAFile,        // a folder or another thing stands in its place
        UnknownSection,  // section: its lines go with it
        NotASetting,     // neither "[Name]" nor "Key=value"
        OutsideSections, // key, above any section
        WrongSection,    // key, in section
        OpenQuotes,      // value
        NoFolder,        // Folder= names nothing
        NulInFolder,     // value
        BadMaxMB,        // value
        BadEnabled,      // value
    };
    Kind kind = Kind::Unreadable;
    ConfigurationPlace where;
    QString section;
    QString key;
    QByteArray value;
    int error = 0;       // Unreadable: errno
    int concerns = kConcernsNothing; // what the file or line would have set
};

// A right line that does not count: the same key set again later in the
// file, or already in a file that wins.
struct OverriddenSetting
{
    ConfigurationPlace where;
    QString key;
    ConfigurationPlace winner;
};

struct Configuration
{
    // Absolute, byte for byte as the file holds it: a path is never decoded
    // into another one.
    std::optional<QByteArray> recordFolder;
    ConfigurationPlace recordFolderFrom;
    bool registerEnabled = false; // a line in registro.csv for every game
    ConfigurationPlace registerEnabledFrom; // not set: nobody set it
    // The register's largest size: past it, no line is added.
    int registerMaxMB = kDefaultRegisterMaxMB;
    ConfigurationPlace registerMaxMBFrom;
    QStringList files; // the files read, the first that counts first
    QList<ConfigurationProblem> problems;
    QList<OverriddenSetting> overridden;
};

inline constexpr auto kConfigurationFile = "tarvimonda/tarvimonda.conf";

// The configuration files that exist, the per-user one first.
QStringList configurationFiles();

Configuration readConfiguration(const QStringList &files = configurationFiles());

// The words Enabled takes, in any capitals: true/false, sì (or si)/no,
// vero/falso, 1/0. Anything else is nothing.
std::optional<bool> yesOrNo(const QByteArray &value);

// A path as a person reads it: bytes that are not UTF-8 are shown as \xNN,
// so two different folders never look the same.
QString readablePath(const QByteArray &path);

// One meaningful line of an INI-style text.
struct IniLine
{
    enum class Kind { Section, Entry, Other };
    Kind kind = Kind::Other;
    QString section;        // the one it opens, or the one it is in ("" above any)
    QString key;            // an entry's
    QByteArray value;       // an entry's, the file's own bytes
    int line = 0;           // counted from 1
    bool badQuotes = false; // a double quote at one end only
};

// "[Section]" lines open sections, "Key=Value" lines set keys, lines
// starting with '#' or ';' are comments and blank lines are nothing; any
// other line is Other. Blanks around keys and values are dropped, and a
// value wholly in double quotes loses them (a teacher writes
// Folder="/srv/tarvimonda" as readily as without). No escapes, no lists.
QList<IniLine> iniLines(const QByteArray &text);

// The value of a key (section and key matched without regard to case; the
// last one in the text counts), nothing when the key is not set.
std::optional<QString> iniValue(const QByteArray &text, const QString &section, const QString &key);
