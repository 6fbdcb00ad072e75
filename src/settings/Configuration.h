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

struct Configuration
{
    // Absolute, byte for byte as the file holds it: a path is never decoded
    // into another one.
    std::optional<QByteArray> recordFolder;
    QString recordFolderFrom;     // the file and line that set it: "FILE, riga N"
    bool registerEnabled = false; // a line in registro.csv for every game
    QString registerEnabledFrom;  // "FILE, riga N"; empty: nobody set it
    // The register's largest size: past it, no line is added.
    int registerMaxMB = kDefaultRegisterMaxMB;
    QString registerMaxMBFrom;
    QStringList files;            // the files read, the first that counts first
    // Every line that could not be used, one Italian sentence each, naming
    // the file and the line and what it means for the class:
    // "/etc/xdg/tarvimonda/tarvimonda.conf, riga 4: ...".
    QStringList problems;
    // Right lines that do not count, because the same key is set again later
    // in the file or already in a file that wins.
    QStringList overridden;
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
