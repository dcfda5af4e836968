#pragma once

#include "core/SafeInput.h"
#include "pages/EmbeddedQuestion.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The question files of a test, found in the output folder and made
// self-contained for the single page. A question file is the teacher's (or a
// stranger's) file: nothing in it is trusted, and no file outside the output
// folder's tree is ever read for it: every file is read under the rule of
// core/SafeInput, with `privatePaths` (the program's database and data
// folder) never read. A file the rule refuses is named with its reason in
// the question's `notRead`.

// The file shown for question `number`: the one its answer-key row names, else
// the first of <stem>s<number> with .mht, .mhtml, .html, .htm, .png, .jpg,
// .jpeg, .gif, .webp, .svg, .pdf that is there. Its full path, or nothing.
// (embedQuestion passes over a file the reading rule refuses to the next.)
std::optional<QString> findQuestionFile(const QString& outputFolder, const QString& keyRowFileName,
                                        const QString& stem, int number);

// Question `number` as the page embeds it. The kind comes from the file's
// content, not its name (old ".mht" question files are often plain HTML).
// A missing, refused, unreadable, cut-short or unrecognisable file gives Kind::Missing.
EmbeddedQuestion embedQuestion(const QString& outputFolder, const QString& keyRowFileName,
                               const QString& stem, int number,
                               const QStringList& privatePaths = {});

// The bytes of a question file found at `filePath` (in the input's folder),
// as embedQuestion makes them.
EmbeddedQuestion embedQuestionBytes(const QByteArray& bytes, const QString& filePath,
                                    const FolderInput& input);

// Every question of a test: keyRowFileNames[n - 1] belongs to question n.
std::vector<EmbeddedQuestion> embedQuestions(const QString& outputFolder,
                                             const QStringList& keyRowFileNames,
                                             const QString& stem,
                                             const QStringList& privatePaths = {});

// The numbers (from 1) of the questions no file was found for, for the closing message.
QList<int> missingQuestionNumbers(const std::vector<EmbeddedQuestion>& questions);
