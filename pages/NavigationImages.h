#pragma once

#include "core/FileSet.h"
#include "core/SafeInput.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// The four navigation buttons of the question page ("ilk.gif", "geri.gif",
// "ileri.gif", "son.gif": first, previous, next, last), our own images kept
// as resources of this library.
const std::vector<QString>& navigationImageNames();
QByteArray navigationImage(const QString& name);

// The navigation images a run writes so that a new page set shows its
// buttons. The page loads each image from the text of "Gezinti düğmelerinin
// bulunduğu yer" followed by the image's name, relative to the page. When
// that text is empty or names an existing folder inside the output folder
// (ending in "\" or "/"), every image missing there is returned with its
// final path and bytes. Nothing is returned for a folder elsewhere (an
// absolute path or "..\" leading out, another drive, an address), for a
// folder that does not exist, for a text that is not a folder (no final
// separator: the page then asks for some other name), and for any name that
// is already taken, by a file, a folder or a link. Only reads which files exist.
std::vector<OutputFile> missingNavigationImages(const QString& outputFolder,
                                                const QString& navFolderText);

// The navigation images the single page carries (in the order of
// navigationImageNames()), read where the classic pages load them from: the
// text of "Gezinti düğmelerinin bulunduğu yer" followed by the image's name,
// from the input's folder. Each is read under the input's rule (so a link to
// a private file or a FIFO is never taken) and bounded in size; an image that
// is not there or is refused stays empty, so the page shows its own. A
// refused one is named with its reason in `notRead` ("name: reason").
std::array<QByteArray, 4> readNavigationImages(const FolderInput& input,
                                               const QString& navFolderText, QStringList& notRead);
