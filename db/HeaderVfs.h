#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The database file keeps a block of kHeaderSize bytes in front of the SQLite
// image. Its first 19 bytes read like the header the start-up check looks for;
// a marker of ours at kMarkerOffset tells our files apart from files of the
// older engine that carry the same first bytes. The VFS registered here hides
// the block from SQLite: every access to a main database file is shifted past
// it, while journal and WAL files pass through unchanged.
namespace HeaderVfs {

inline constexpr qint64 kHeaderSize = 4096;
inline constexpr int kMarkerOffset = 32;
inline constexpr char kMarker[] = "Dorvana SQLite image";
inline constexpr int kMarkerLength = sizeof(kMarker) - 1;
inline constexpr unsigned char kFormatVersion = 1;

// Registers the VFS with SQLite on first use and returns its name.
const char* name();

// The header block written in front of a new database image.
QByteArray headerBlock();

enum class HeaderKind {
    Ours,        // header with our marker: a database of this program
    OtherEngine, // the right first bytes but no marker: a file of the older engine
    Foreign,     // anything else that is at least one byte long
    Empty,       // no bytes at all
};

// Classifies the first bytes of a file (up to kHeaderSize of them).
HeaderKind classify(const QByteArray& firstBytes);

// How many bytes of a file imageCutShort wants to see.
inline constexpr qint64 kLeadingBytes = kHeaderSize + 100;

// True when a file of ours, `fileSize` bytes long and starting with
// `firstBytes` (up to kLeadingBytes of it), ends before the first page of
// its image is whole. The engine would take such a file for an empty
// database and throw away any journal or log beside it: it is damaged,
// whatever lies beside it.
bool imageCutShort(const QByteArray& firstBytes, qint64 fileSize);

// User-facing texts for the files the VFS refuses.
QString otherEngineText();
QString foreignFileText();

} // namespace HeaderVfs
