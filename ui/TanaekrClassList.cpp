// "Sınıf listesi al": a class list exported by the school's system is read
// from CSV (results/ClassList) and kept under a class name (db/ClassLists).

#include "ui/Tanaekr.h"

#include "core/AppError.h"
#include "db/ClassLists.h"
#include "db/ProgramDatabase.h"
#include "results/ClassList.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

using namespace Qt::StringLiterals;

void Tanaekr::sinifalClick() {
    runCommand(m_prompts, [this] {
        if (!m_database->isConnected())
            throw AppError(u"Veritabanı açık değil; sınıf listesi kaydedilemez."_s);
        const QString path = m_prompts.openFileName(u"Sınıf listesi"_s, u"*.csv *.txt"_s);
        if (path.isEmpty())
            return;
        // Read and checked whole before the name is asked; a refusal stores nothing.
        const std::vector<ClassMember> members = readClassListFile(path);
        const std::optional<QString> className =
            m_prompts.askText(u"Sınıf listesi al"_s, u"Sınıfın adı (ör. 9-A):"_s);
        if (!className)
            return;
        storeClassList(*m_database->database(), *className, members);
        showHint(u"%1 öğrenci \"%2\" sınıfına kaydedildi."_s.arg(QString::number(members.size()),
                                                                 className->trimmed()));
    });
}
