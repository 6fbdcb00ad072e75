#include "registerview/RegisterFeed.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Reads run on threads of their own, never waited for at the program's end:
// one stuck in a share that stopped answering must not hold the exit.
QThreadPool *readers()
{
    static QThreadPool *const pool = [] {
        auto *threads = new QThreadPool;
        threads->setMaxThreadCount(2);
        return threads;
    }();
    return pool;
}

// Adds the texts a read found to those kept, each once: where each one of
// the read is now among them.
QList<int> merged(const QStringList &found, QStringList &kept, QHash<QString, int> &index)
{
    QList<int> where(found.size());
    for (qsizetype i = 0; i < found.size(); ++i) {
        auto known = index.constFind(found[i]);
        if (known == index.cend()) {
            known = index.insert(found[i], int(kept.size()));
            kept.append(found[i]);
        }
        where[i] = *known;
    }
    return where;
}

} // namespace

void RegisterData::apply(const RegisterRead &read)
{
    if (read.whole) {
        *this = {};
    } else {
        games.resize(m_settledGames);
        unreadable = m_settledUnreadable;
        unreadLines.resize(m_settledUnreadLines);
    }
    const ParsedRegister &parsed = read.parsed;
    const QList<int> indexOf = merged(parsed.names, names, m_nameIndex);
    const QList<int> accountOf = merged(parsed.accounts, accounts, m_accountIndex);
    games.reserve(games.size() + parsed.games.size());
    for (RegisterGame game : parsed.games) {
        game.name = indexOf[game.name];
        if (game.account >= 0)
            game.account = accountOf[game.account];
        games.append(game);
    }
    unreadable += parsed.unreadable;
    unreadLines += parsed.unread.first(qMin(parsed.unread.size(), kUnreadLinesKept - unreadLines.size()));
    m_settledGames = games.size() - (parsed.tailGame ? 1 : 0);
    m_settledUnreadable = unreadable - (parsed.tailUnreadable ? 1 : 0);
    // The last line without its newline is read again with what completes
    // it: it must not be listed twice.
    const bool tailListed = parsed.tailUnreadable && !unreadLines.isEmpty() && unreadLines.back().line >= read.next.line;
    m_settledUnreadLines = unreadLines.size() - (tailListed ? 1 : 0);
}

RegisterFeed::RegisterFeed(QObject *parent)
    : QObject(parent)
{
    m_watcher.setObjectName(QStringLiteral("registerWatcher"));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &RegisterFeed::readNow);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &RegisterFeed::readNow);
}

void RegisterFeed::open(const QString &path)
{
    if (const QStringList watched = m_watcher.files() + m_watcher.directories(); !watched.isEmpty())
        m_watcher.removePaths(watched);
    m_path = path;
    m_data = {};
    m_problem = {};
    m_position = {};
    ++m_generation; // a read of the previous file still running is ignored
    m_reading = false;
    m_readAgain = false;
    watch();
    readNow();
    Q_EMIT changed();
}

void RegisterFeed::watch()
{
    // The folder tells when the file appears or is replaced; the file
    // itself, when a line is appended. A replaced file is watched anew.
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher.directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher.addPath(folder);
    if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

void RegisterFeed::readNow()
{
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    m_reading = true;
    Q_EMIT readingChanged(true);
    const int generation = m_generation;
    auto *watcher = new QFutureWatcher<RegisterRead>(this);
    connect(watcher, &QFutureWatcher<RegisterRead>::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        finished(generation, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(readers(), readRegister, m_path, m_position));
}

void RegisterFeed::finished(int generation, const RegisterRead &read)
{
    if (generation != m_generation)
        return;
    m_reading = false;
    Q_EMIT readingChanged(false);
    watch();
    const bool news = read.ok() ? read.whole || !read.parsed.games.isEmpty() || read.parsed.unreadable > 0
                                      || m_problem.kind != ReadProblem::Kind::None
                                : read.problem != m_problem;
    if (read.ok()) {
        m_data.apply(read);
        m_position = read.next;
    } else {
        m_data = {};
        m_position = {};
    }
    m_problem = read.problem;
    if (news)
        Q_EMIT changed();
    if (std::exchange(m_readAgain, false))
        readNow();
}
