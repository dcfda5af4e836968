// A whole answer key pasted into the grid: the window reads the clipboard and
// says what happened; reading and storing the keys is done in db/.

#include "ui/Tanaekr.h"

#include "db/AnswerKeyPaste.h"
#include "db/ProgramDatabase.h"
#include "ui/AnswerKeyGrid.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

#include <QClipboard>
#include <QGuiApplication>

void Tanaekr::pasteKeysFromClipboard(bool fromButton) {
    runCommand(m_prompts, [this, fromButton] {
        // A letter still being typed is stored first; the paste may then overwrite it.
        liste->commitOpenEditor();
        const int firstRow = std::max(liste->currentIndex().row(), 0);
        const PasteResult result =
            pasteAnswerKey(m_database->websoru(), QGuiApplication::clipboard()->text(), firstRow,
                           keyOptionCount());
        if (const auto* refusal = std::get_if<PasteRefusal>(&result)) {
            // The shortcut does not stop the typing with a box; the button says it in one.
            if (fromButton)
                m_prompts.message(Prompts::Kind::Plain, applicationTitle(), refusal->message());
            else
                showHint(refusal->message());
            return;
        }
        showHint(QStringLiteral(u"%1 cevap yapıştırıldı.")
                     .arg(std::get<std::vector<PastedKey>>(result).size()));
        liste->setFocus(Qt::OtherFocusReason);
    });
}
