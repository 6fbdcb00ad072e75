#pragma once

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
//
// The file is looked for in the per-user configuration folder
// ($XDG_CONFIG_HOME, ~/.config) and then in each system-wide one
// ($XDG_CONFIG_DIRS, /etc/xdg); for each key the first file that sets it
// wins, so a user's own file overrides the machine's.
struct Configuration
{
    std::optional<QString> recordFolder; // absolute
    QString recordFolderFrom;            // the file and line that set it: "FILE, riga N"
    bool registerEnabled = false;        // a line in registro.csv for every game
    // What could not be used, one Italian sentence each, naming the file and
    // the line: "/etc/xdg/tarvimonda/tarvimonda.conf, riga 4: ...".
    QStringList problems;
};

inline constexpr auto kConfigurationFile = "tarvimonda/tarvimonda.conf";

// The configuration files that exist, the per-user one first.
QStringList configurationFiles();

Configuration readConfiguration(const QStringList &files = configurationFiles());

// One "Key=Value" line of an INI-style text, in its "[Section]".
struct IniEntry
{
    QString section;
    QString key;
    QString value;
    int line = 0;          // counted from 1
    bool badQuotes = false; // a double quote at one end only
};

// "[Section]" lines open sections, "Key=Value" lines set keys, lines
// starting with '#' or ';' are comments; blanks around keys and values are
// dropped, and a value wholly in double quotes loses them (a teacher writes
// Folder="/srv/tarvimonda" as readily as without). No escapes, no lists.
QList<IniEntry> iniEntries(const QByteArray &text);

// The value of a key (section and key matched without regard to case; the
// last one in the text counts), nothing when the key is not set.
std::optional<QString> iniValue(const QByteArray &text, const QString &section, const QString &key);
