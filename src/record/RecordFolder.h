#pragma once

#include <QString>

#include <optional>

// Where the record is kept: the folder's path, normalised once, and whether
// a teacher chose it (configuration or command line) or it is the per-user
// default.
class RecordFolder
{
public:
    enum class Origin { PerUser, Chosen };

    // Not explicit: a plain path is a per-user folder.
    RecordFolder(const QString &path = {}, Origin origin = Origin::PerUser);

    // The folder with exactly one trailing '/'.
    const QString &path() const { return m_path; }
    QString file(const char *name) const { return m_path + QLatin1StringView(name); }
    bool isChosen() const { return m_origin == Origin::Chosen; }

    // Makes the folder when it is missing: the per-user one with its
    // parents; a chosen one only its last part, so a share that is not
    // mounted is reported, never silently replaced by a local folder.
    void make() const;

    // Whether a folder stands there (the path may be a link to it).
    bool isThere() const;

    // Why the record cannot be kept here (missing, not a folder, not
    // writable), in Italian and naming the folder; nothing when it can.
    std::optional<QString> problem() const;
    // The same for a reason found otherwise.
    QString problemWith(const QString &why) const;
    // The same reason alone ("la cartella non esiste e non si può creare").
    std::optional<QString> unusable() const;

private:
    QString m_path;
    Origin m_origin;
};

// The per-user folder: $XDG_DATA_HOME/tarvimonda/, or
// ~/.local/share/tarvimonda/. Nothing on disk is touched.
QString defaultRecordFolder();
