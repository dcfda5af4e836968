// The start-up header check and the header block classification on arbitrary
// file bytes: no crash, the text check agrees with a plain reading of its
// rule, and the two checks never contradict each other.

#include "FuzzSupport.h"
#include "db/HeaderVfs.h"
#include "db/JetHeader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace {

// Every byte as a one-character text, trimmed of codes 0 to 32 at both ends,
// the pieces joined.
bool referenceHeaderText(const QByteArray& bytes) {
    std::string joined;
    for (const char b : bytes) {
        std::string piece(1, b);
        while (!piece.empty() && static_cast<unsigned char>(piece.front()) <= 32)
            piece.erase(piece.begin());
        while (!piece.empty() && static_cast<unsigned char>(piece.back()) <= 32)
            piece.pop_back();
        joined += piece;
    }
    return joined == "StandardJetDB";
}

// One scratch file, rewritten for every input.
const QString& scratchPath() {
    static const std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
    static const QString path = dir->filePath(QStringLiteral("header.mdb"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // The start-up check reads 19 bytes at most.
    const QByteArray first19 = bytes.left(19);
    const bool headerText = isJetHeaderText(first19);
    FUZZ_CHECK(headerText == referenceHeaderText(first19));
    FUZZ_CHECK(isJetHeaderText(bytes) == referenceHeaderText(bytes));

    const QByteArray block = bytes.left(HeaderVfs::kHeaderSize);
    const HeaderVfs::HeaderKind kind = HeaderVfs::classify(block);
    FUZZ_CHECK((kind == HeaderVfs::HeaderKind::Empty) == bytes.isEmpty());
    // A file the database layer takes for a database, ours or the older
    // engine's, also passes the start-up check.
    if (kind == HeaderVfs::HeaderKind::Ours || kind == HeaderVfs::HeaderKind::OtherEngine)
        FUZZ_CHECK(headerText);
    if (kind == HeaderVfs::HeaderKind::Ours) {
        // The lead bytes, the marker and the format version all match ours.
        const QByteArray ours = HeaderVfs::headerBlock();
        const qsizetype markerAndVersion = HeaderVfs::kMarkerLength + 1;
        FUZZ_CHECK(block.left(19) == ours.left(19));
        FUZZ_CHECK(block.mid(HeaderVfs::kMarkerOffset, markerAndVersion) ==
                   ours.mid(HeaderVfs::kMarkerOffset, markerAndVersion));
    }

    // The same bytes as a file: the check reads exactly its first 19 bytes.
    QFile file(scratchPath());
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
    file.close();
    FUZZ_CHECK(readHeaderBytes(scratchPath()) == first19);
    return 0;
}
