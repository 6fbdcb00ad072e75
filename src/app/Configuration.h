#pragma once

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
    QString recordFolderFrom;            // the file that set it
    bool registerEnabled = false;        // a line in registro.csv for every game
};

inline constexpr auto kConfigurationFile = "tarvimonda/tarvimonda.conf";

// The configuration files that exist, the per-user one first.
QStringList configurationFiles();

Configuration readConfiguration(const QStringList &files = configurationFiles());

// One value of an INI-style text: "[Group]" lines open groups, "Key=Value"
// lines set keys, lines starting with '#' or ';' are comments; blanks around
// keys and values are dropped and the value is taken as written (no
// escapes, no lists). Nothing when the key is not set.
std::optional<QString> iniValue(const QByteArray &text, const QString &group, const QString &key);
