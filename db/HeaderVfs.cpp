#include "db/HeaderVfs.h"

#include <sqlite3.h>

#include <cstddef>
#include <cstring>
#include <mutex>

namespace HeaderVfs {

namespace {

constexpr unsigned char kLeadBytes[4] = {0x00, 0x01, 0x00, 0x00};
constexpr char kEngineText[] = "Standard Jet DB";
constexpr int kEngineTextOffset = 4;
constexpr int kEngineTextLength = sizeof(kEngineText) - 1;
constexpr int kVersionOffset = kMarkerOffset + kMarkerLength;

// Our file object: the base object SQLite sees, then the wrapped VFS's own
// object, which lives in the same allocation right after it.
struct ShiftFile {
    sqlite3_file base;
    sqlite3_file* real;
    bool shifted; // a main database file: every offset moves past the header block
};

constexpr int realOffset() {
    // Keep the wrapped object aligned for any type it may hold.
    constexpr std::size_t align = alignof(std::max_align_t);
    return int((sizeof(ShiftFile) + align - 1) / align * align);
}

sqlite3_vfs* baseVfs(sqlite3_vfs* vfs) {
    return static_cast<sqlite3_vfs*>(vfs->pAppData);
}
ShiftFile* self(sqlite3_file* file) {
    return reinterpret_cast<ShiftFile*>(file);
}
sqlite3_file* real(sqlite3_file* file) {
    return self(file)->real;
}
sqlite3_int64 shift(sqlite3_file* file) {
    return self(file)->shifted ? kHeaderSize : 0;
}

int xClose(sqlite3_file* file) {
    sqlite3_file* r = real(file);
    return r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
}

int xRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    sqlite3_file* r = real(file);
    return r->pMethods->xRead(r, buffer, amount, offset + shift(file));
}

int xWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    sqlite3_file* r = real(file);
    return r->pMethods->xWrite(r, buffer, amount, offset + shift(file));
}

int xTruncate(sqlite3_file* file, sqlite3_int64 size) {
    sqlite3_file* r = real(file);
    return r->pMethods->xTruncate(r, size + shift(file));
}

int xSync(sqlite3_file* file, int flags) {
    sqlite3_file* r = real(file);
    return r->pMethods->xSync(r, flags);
}

int xFileSize(sqlite3_file* file, sqlite3_int64* size) {
    sqlite3_file* r = real(file);
    const int rc = r->pMethods->xFileSize(r, size);
    if (rc == SQLITE_OK) {
        *size -= shift(file);
        if (*size < 0)
            *size = 0;
    }
    return rc;
}

int xLock(sqlite3_file* file, int level) {
    sqlite3_file* r = real(file);
    return r->pMethods->xLock(r, level);
}

int xUnlock(sqlite3_file* file, int level) {
    sqlite3_file* r = real(file);
    return r->pMethods->xUnlock(r, level);
}

int xCheckReservedLock(sqlite3_file* file, int* out) {
    sqlite3_file* r = real(file);
    return r->pMethods->xCheckReservedLock(r, out);
}

int xFileControl(sqlite3_file* file, int op, void* arg) {
    sqlite3_file* r = real(file);
    if (self(file)->shifted) {
        if (op == SQLITE_FCNTL_SIZE_HINT) {
            sqlite3_int64 hint = *static_cast<sqlite3_int64*>(arg) + kHeaderSize;
            return r->pMethods->xFileControl(r, op, &hint);
        }
        if (op == SQLITE_FCNTL_MMAP_SIZE) {
            // Mapped pages would start at the real file's offset 0, inside the
            // header block: keep memory mapping off for shifted files.
            sqlite3_int64 none = 0;
            const int rc = r->pMethods->xFileControl(r, op, &none);
            *static_cast<sqlite3_int64*>(arg) = 0;
            return rc;
        }
    }
    return r->pMethods->xFileControl(r, op, arg);
}

int xSectorSize(sqlite3_file* file) {
    sqlite3_file* r = real(file);
    return r->pMethods->xSectorSize(r);
}

int xDeviceCharacteristics(sqlite3_file* file) {
    sqlite3_file* r = real(file);
    return r->pMethods->xDeviceCharacteristics(r);
}

int xShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out) {
    sqlite3_file* r = real(file);
    return r->pMethods->xShmMap(r, region, size, extend, out);
}

int xShmLock(sqlite3_file* file, int offset, int n, int flags) {
    sqlite3_file* r = real(file);
    return r->pMethods->xShmLock(r, offset, n, flags);
}

void xShmBarrier(sqlite3_file* file) {
    sqlite3_file* r = real(file);
    r->pMethods->xShmBarrier(r);
}

int xShmUnmap(sqlite3_file* file, int deleteFlag) {
    sqlite3_file* r = real(file);
    return r->pMethods->xShmUnmap(r, deleteFlag);
}

int xFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out) {
    if (self(file)->shifted) {
        *out = nullptr; // no mapping: SQLite falls back to xRead
        return SQLITE_OK;
    }
    sqlite3_file* r = real(file);
    return r->pMethods->xFetch(r, offset, amount, out);
}

int xUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
    if (self(file)->shifted)
        return SQLITE_OK;
    sqlite3_file* r = real(file);
    return r->pMethods->xUnfetch(r, offset, page);
}

const sqlite3_io_methods kMethods = {
    3,
    xClose,
    xRead,
    xWrite,
    xTruncate,
    xSync,
    xFileSize,
    xLock,
    xUnlock,
    xCheckReservedLock,
    xFileControl,
    xSectorSize,
    xDeviceCharacteristics,
    xShmMap,
    xShmLock,
    xShmBarrier,
    xShmUnmap,
    xFetch,
    xUnfetch,
};

// Checks the header block of a main database file that is being opened, or
// writes it into a new, empty file.
int prepareMainFile(sqlite3_file* r, int flags) {
    sqlite3_int64 size = 0;
    int rc = r->pMethods->xFileSize(r, &size);
    if (rc != SQLITE_OK)
        return rc;
    if (size == 0) {
        if (!(flags & SQLITE_OPEN_READWRITE))
            return SQLITE_OK; // an empty read-only file reads as an empty database
        const QByteArray block = headerBlock();
        return r->pMethods->xWrite(r, block.constData(), int(block.size()), 0);
    }
    if (size < kHeaderSize)
        return SQLITE_NOTADB;
    QByteArray block(int(qMin<sqlite3_int64>(size, kLeadingBytes)), '\0');
    rc = r->pMethods->xRead(r, block.data(), int(block.size()), 0);
    if (rc != SQLITE_OK)
        return rc == SQLITE_IOERR_SHORT_READ ? SQLITE_NOTADB : rc;
    if (classify(block) != HeaderKind::Ours)
        return SQLITE_NOTADB;
    return imageCutShort(block, size) ? SQLITE_CORRUPT : SQLITE_OK;
}

int xOpen(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    ShiftFile* f = self(file);
    f->base.pMethods = nullptr;
    f->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + realOffset());
    f->real->pMethods = nullptr;
    f->shifted = (flags & SQLITE_OPEN_MAIN_DB) != 0;

    sqlite3_vfs* base = baseVfs(vfs);
    int rc = base->xOpen(base, name, f->real, flags, outFlags);
    if (rc == SQLITE_OK && f->shifted)
        rc = prepareMainFile(f->real, flags);
    if (rc != SQLITE_OK) {
        if (f->real->pMethods)
            f->real->pMethods->xClose(f->real);
        f->real->pMethods = nullptr;
        return rc;
    }
    f->base.pMethods = &kMethods;
    return SQLITE_OK;
}

// The remaining VFS methods hand the wrapped VFS its own object.
int xDelete(sqlite3_vfs* v, const char* n, int s) {
    return baseVfs(v)->xDelete(baseVfs(v), n, s);
}
int xAccess(sqlite3_vfs* v, const char* n, int f, int* o) {
    return baseVfs(v)->xAccess(baseVfs(v), n, f, o);
}
int xFullPathname(sqlite3_vfs* v, const char* n, int size, char* out) {
    return baseVfs(v)->xFullPathname(baseVfs(v), n, size, out);
}
void* xDlOpen(sqlite3_vfs* v, const char* n) {
    return baseVfs(v)->xDlOpen(baseVfs(v), n);
}
void xDlError(sqlite3_vfs* v, int n, char* m) {
    baseVfs(v)->xDlError(baseVfs(v), n, m);
}
void (*xDlSym(sqlite3_vfs* v, void* h, const char* s))(void) {
    return baseVfs(v)->xDlSym(baseVfs(v), h, s);
}
void xDlClose(sqlite3_vfs* v, void* h) {
    baseVfs(v)->xDlClose(baseVfs(v), h);
}
int xRandomness(sqlite3_vfs* v, int n, char* out) {
    return baseVfs(v)->xRandomness(baseVfs(v), n, out);
}
int xSleep(sqlite3_vfs* v, int us) {
    return baseVfs(v)->xSleep(baseVfs(v), us);
}
int xCurrentTime(sqlite3_vfs* v, double* t) {
    return baseVfs(v)->xCurrentTime(baseVfs(v), t);
}
int xGetLastError(sqlite3_vfs* v, int n, char* m) {
    return baseVfs(v)->xGetLastError(baseVfs(v), n, m);
}
int xCurrentTimeInt64(sqlite3_vfs* v, sqlite3_int64* t) {
    return baseVfs(v)->xCurrentTimeInt64(baseVfs(v), t);
}
int xSetSystemCall(sqlite3_vfs* v, const char* n, sqlite3_syscall_ptr p) {
    return baseVfs(v)->xSetSystemCall(baseVfs(v), n, p);
}
sqlite3_syscall_ptr xGetSystemCall(sqlite3_vfs* v, const char* n) {
    return baseVfs(v)->xGetSystemCall(baseVfs(v), n);
}
const char* xNextSystemCall(sqlite3_vfs* v, const char* n) {
    return baseVfs(v)->xNextSystemCall(baseVfs(v), n);
}

constexpr char kVfsName[] = "dorvana-header";

} // namespace

const char* name() {
    static std::once_flag once;
    static sqlite3_vfs vfs;
    std::call_once(once, [] {
        sqlite3_initialize();
        sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
        Q_ASSERT(base && base->iVersion >= 3);
        vfs = sqlite3_vfs{};
        vfs.iVersion = 3;
        vfs.szOsFile = realOffset() + base->szOsFile;
        vfs.mxPathname = base->mxPathname;
        vfs.zName = kVfsName;
        vfs.pAppData = base;
        vfs.xOpen = xOpen;
        vfs.xDelete = xDelete;
        vfs.xAccess = xAccess;
        vfs.xFullPathname = xFullPathname;
        vfs.xDlOpen = xDlOpen;
        vfs.xDlError = xDlError;
        vfs.xDlSym = xDlSym;
        vfs.xDlClose = xDlClose;
        vfs.xRandomness = xRandomness;
        vfs.xSleep = xSleep;
        vfs.xCurrentTime = xCurrentTime;
        vfs.xGetLastError = xGetLastError;
        vfs.xCurrentTimeInt64 = xCurrentTimeInt64;
        vfs.xSetSystemCall = xSetSystemCall;
        vfs.xGetSystemCall = xGetSystemCall;
        vfs.xNextSystemCall = xNextSystemCall;
        sqlite3_vfs_register(&vfs, 0);
    });
    return kVfsName;
}

QByteArray headerBlock() {
    QByteArray block(int(kHeaderSize), '\0');
    std::memcpy(block.data(), kLeadBytes, sizeof(kLeadBytes));
    std::memcpy(block.data() + kEngineTextOffset, kEngineText, kEngineTextLength);
    std::memcpy(block.data() + kMarkerOffset, kMarker, kMarkerLength);
    block[kVersionOffset] = char(kFormatVersion);
    return block;
}

HeaderKind classify(const QByteArray& firstBytes) {
    if (firstBytes.isEmpty())
        return HeaderKind::Empty;
    const QByteArray lead = QByteArray::fromRawData(reinterpret_cast<const char*>(kLeadBytes), 4) +
                            QByteArray(kEngineText, kEngineTextLength);
    if (!firstBytes.startsWith(lead))
        return HeaderKind::Foreign;
    if (firstBytes.size() <= kVersionOffset ||
        firstBytes.mid(kMarkerOffset, kMarkerLength) != kMarker)
        return HeaderKind::OtherEngine;
    // Our marker with a format version this build does not know.
    return quint8(firstBytes.at(kVersionOffset)) == kFormatVersion ? HeaderKind::Ours
                                                                   : HeaderKind::Foreign;
}

bool imageCutShort(const QByteArray& firstBytes, qint64 fileSize) {
    constexpr qint64 pageSizeOffset = kHeaderSize + 16;
    if (fileSize < kLeadingBytes || firstBytes.size() < pageSizeOffset + 2)
        return true;
    qint64 pageSize =
        quint8(firstBytes.at(pageSizeOffset)) << 8 | quint8(firstBytes.at(pageSizeOffset + 1));
    if (pageSize == 1)
        pageSize = 65536; // how the image writes its largest page size
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return true;
    return fileSize < kHeaderSize + pageSize;
}

QString otherEngineText() {
    return QStringLiteral(u"Bu veri tabanı dosyası başka bir veri tabanı programıyla yapılmış; "
                          u"bu program onu açamaz");
}

QString foreignFileText() {
    return QStringLiteral(u"Bu dosya, bu programın veri tabanı dosyası değil");
}

} // namespace HeaderVfs
