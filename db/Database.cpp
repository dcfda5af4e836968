#include "db/Database.h"

#include "core/AppError.h"
#include "core/Platform.h"
#include "db/HeaderVfs.h"
#include "db/Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sqlite3.h>

#include <exception>
#include <filesystem>
#include <limits>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

constexpr int kBusyTimeoutMs = 3000;
// How long a start waits for another program to let go of the file, so that
// a window closed a moment ago does not keep the next one out.
constexpr int kOwnerWaitMs = 1000;
constexpr char kJournalPragmas[] =
    "PRAGMA journal_mode=DELETE; PRAGMA synchronous=EXTRA; PRAGMA schema_version;";

QString engineText(sqlite3* db, int rc) {
    QString text =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int primary = rc & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return QStringLiteral("%1 (%2)").arg(Database::inUseText(), text);
    if (primary == SQLITE_NOTADB)
        return HeaderVfs::foreignFileText();
    if (primary == SQLITE_CORRUPT)
        return Database::damagedText(text);
    return text;
}

QString cannotOpenText(const QString& path, const QString& reason) {
    return QStringLiteral(u"Veri tabanı dosyası açılamadı: \"%1\". %2").arg(path, reason);
}

QByteArray firstBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(cannotOpenText(path, file.errorString()));
    return file.read(HeaderVfs::kLeadingBytes);
}

// The engine keeps its journal under the name the file was opened by. Under
// a second name of the same file, a command would not see the journal of a
// command cut short under the first name, and a save made through one name
// could be lost through the other.
bool hasOtherNames(const QString& path) {
    std::error_code error;
    const auto links = std::filesystem::hard_link_count(path.toStdU16String(), error);
    return !error && links > 1;
}

#ifdef Q_OS_UNIX
// Takes the program's claim on the file: an advisory lock on a descriptor of
// its own, held until the connection is closed. It does not touch SQLite's
// own byte-range locks, and the system drops it when the process ends, also
// when it is killed. Returns the descriptor, or -1 when another program holds
// the claim past kOwnerWaitMs.
int claimFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw AppError(
            cannotOpenText(path, platform::systemErrorText(platform::lastSystemError())));
    for (int waited = 0;; waited += 50) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return fd;
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= kOwnerWaitMs)
            break;
        ::usleep(50 * 1000);
    }
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK)
        return -1;
    // A file system without advisory locks: go on without the claim.
    return -2;
}
#endif

} // namespace

QString Database::inUseText() {
    return QStringLiteral(u"Veri tabanı dosyası başka bir program tarafından kullanılıyor");
}

QString Database::damagedText(const QString& engineText) {
    return QStringLiteral(u"Veri tabanı dosyası bozuk (%1)").arg(engineText);
}

QString Database::otherNamesText() {
    return QStringLiteral(
        u"Veri tabanı dosyası açılmadı: aynı dosyanın başka bir adı da var (sabit bağlantı). "
        u"İki ayrı addan kullanılan bir dosyada kaydedilen bilgiler kaybolabilir. Lütfen "
        u"dosyanın tek adla duran bir kopyasını kullanınız");
}

Database::Database(const QString& path, Mode mode) : m_path(path) {
    const QFileInfo info(path);
    if (mode == Mode::OpenExisting) {
        if (!info.exists())
            throw AppError(QStringLiteral(u"Veri tabanı dosyası bulunamadı: \"%1\"").arg(path));
        if (hasOtherNames(path))
            throw AppError(otherNamesText());
        const QByteArray lead = firstBytes(path);
        switch (HeaderVfs::classify(lead)) {
        case HeaderVfs::HeaderKind::Ours:
            // Every database of ours holds its tables after the header block.
            // One cut off before them is refused whatever lies beside it: the
            // engine would open it as an empty database and drop its journal.
            if (HeaderVfs::imageCutShort(lead, info.size()))
                throw AppError(damagedText(QStringLiteral(u"dosya ilk sayfası bitmeden kesilmiş")));
            break;
        case HeaderVfs::HeaderKind::OtherEngine:
            throw AppError(HeaderVfs::otherEngineText());
        case HeaderVfs::HeaderKind::Foreign:
        case HeaderVfs::HeaderKind::Empty:
            throw AppError(HeaderVfs::foreignFileText());
        }
    } else if (info.exists() || info.isSymLink()) {
        throw AppError(QStringLiteral(u"\"%1\" adlı dosya zaten var").arg(path));
    }
#ifdef Q_OS_UNIX
    if (mode == Mode::OpenExisting) {
        m_claim = claimFile(path);
        if (m_claim == -1)
            throw AppError(inUseText());
    }
#endif

    int flags = SQLITE_OPEN_READWRITE;
    if (mode == Mode::CreateNew)
        flags |= SQLITE_OPEN_CREATE;
    const bool hadLog = QFileInfo::exists(path + QStringLiteral("-wal"));
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, HeaderVfs::name());
    if (rc != SQLITE_OK) {
        const QString text = engineText(m_db, rc);
        closeConnection();
        throw AppError(text);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    // The file may come from anywhere: SQL stored in its schema gets no
    // functions with side effects, and no statement may corrupt the file.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    // A log beside the file is folded in only once the file is known to be
    // one this program may change.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    try {
        exec(QStringLiteral("PRAGMA trusted_schema=OFF; PRAGMA mmap_size=0"));
        if (mode == Mode::OpenExisting) {
            // Held alone while it is checked: a log beside it is then read
            // into memory, and no index file is made beside it.
            exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
            checkSound();
            refuseForeignSchema(*this); // read only: a refused file is left as it came
        }
        // A rollback journal with full syncing: when a commit returns, the
        // database file alone holds it (a teacher may copy just that file),
        // and a killed program leaves the whole transaction or none of it.
        // A file of an earlier version in WAL mode is folded back here.
        exec(QLatin1String(kJournalPragmas));
        if (mode == Mode::OpenExisting) // shared again from the next access on
            exec(QStringLiteral("PRAGMA locking_mode=NORMAL; PRAGMA schema_version;"));
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    } catch (...) {
        // A log the engine made only for reading (the file was in WAL mode
        // but had none) holds nothing: closing as usual removes it.
        if (!hadLog)
            sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
        closeConnection();
        throw;
    }
    // It holds the answer keys: its owner's alone (the engine gives its
    // journal the same permissions).
    platform::restrictToOwner(path);
}

Database::~Database() {
    closeConnection();
}

void Database::closeConnection() {
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
#ifdef Q_OS_UNIX
    // Only after the engine has closed the file: closing any descriptor of a
    // file drops the engine's byte-range locks on it.
    if (m_claim >= 0)
        ::close(m_claim);
#endif
    m_claim = -1;
}

// Reads the whole image once before anything is written to it. A damaged
// file is refused as it is: writing to it (the answer key is cleared at every
// start) could only make it worse.
void Database::checkSound() {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "PRAGMA quick_check(1)", -1, &stmt, nullptr);
    QString verdict;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            verdict =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            rc = SQLITE_OK;
        }
    }
    const QString engine = QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_finalize(stmt);
    const int primary = rc & 0xff;
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
        throw AppError(damagedText(engine)); // our header block, but no sound image behind it
    if (rc != SQLITE_OK)
        raise(rc);
    if (verdict != QLatin1String("ok"))
        throw AppError(damagedText(verdict));
}

std::shared_ptr<Database> Database::shared(const QString& path) {
    static QHash<QString, std::weak_ptr<Database>> registry;
    const QFileInfo info(path);
    const QString key = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    if (auto existing = registry.value(key).lock())
        return existing;
    auto db = std::make_shared<Database>(path);
    registry.insert(key, db);
    return db;
}

void Database::exec(const QString& sql) {
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = utf8.constData();
    while (tail && *tail) {
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(m_db, tail, -1, &stmt, &tail);
        if (rc != SQLITE_OK)
            raise(rc);
        if (!stmt)
            continue; // blank text or a comment
        do
            rc = sqlite3_step(stmt);
        while (rc == SQLITE_ROW);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            raise(rc);
    }
}

qint64 Database::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(m_db);
}

void Database::setBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(m_db, milliseconds);
}

void Database::raise(int rc) const {
    const QString text = engineText(m_db, rc);
    const_cast<Database*>(this)->noteFailure();
    throw AppError(text);
}

// Some errors make the engine roll back an open transaction on its own.
void Database::noteFailure() {
    if (m_began && sqlite3_get_autocommit(m_db)) {
        m_began = false;
        emit transactionRolledBack();
    }
}

void Database::beginTransaction() {
    if (m_depth == 0 && sqlite3_get_autocommit(m_db)) {
        exec(QStringLiteral("BEGIN"));
        m_began = true;
    }
    ++m_depth;
}

void Database::endTransaction(bool quiet) {
    if (--m_depth > 0)
        return;
    struct Announce {
        Database* db;
        ~Announce() { emit db->transactionEnded(); }
    } announce{this};
    if (!m_began)
        return;
    m_began = false;
    if (sqlite3_get_autocommit(m_db))
        return;
    const int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return;
    const QString text = engineText(m_db, rc);
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    emit transactionRolledBack();
    if (!quiet)
        throw AppError(text);
}

Statement::Statement(Database& db, const QString& sql) : m_db(db) {
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db.handle(), utf8.constData(), int(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        db.raise(rc);
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Long:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, index, bytes.constData(), quint64(bytes.size()),
                                     SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_stmt, index, utf8.constData(), quint64(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        m_db.raise(rc);
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString text = engineText(m_db.handle(), rc);
    sqlite3_reset(m_stmt);
    m_db.noteFailure();
    throw AppError(text);
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::declaredType(int column) const {
    return QString::fromUtf8(sqlite3_column_decltype(m_stmt, column));
}

QVariant Statement::value(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(m_stmt, column);
        if (v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max())
            return QVariant(qint32(v));
        return QVariant(v);
    }
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(m_stmt, column)));
    }
    default:
        return QVariant();
    }
}

Transaction::Transaction(Database& db) : m_db(db), m_uncaught(std::uncaught_exceptions()) {
    m_db.beginTransaction();
}

Transaction::~Transaction() noexcept(false) {
    if (m_done)
        return;
    m_done = true;
    // While an exception is leaving the command, commit what it did but do
    // not throw a second error over the first.
    m_db.endTransaction(std::uncaught_exceptions() > m_uncaught);
}

void Transaction::commit() {
    if (m_done)
        return;
    m_done = true;
    m_db.endTransaction(false);
}
