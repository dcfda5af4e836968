// The "Bölümler" page: the grid holds one test name's sections as typed; they
// are stored under that name (db/Sections) when the page is left, before a
// run and at closing. The checks are those of core/Sections.

#include "ui/Tanaekr.h"

#include "core/IntConversion.h"
#include "db/Database.h"
#include "db/ProgramDatabase.h"
#include "db/Sections.h"
#include "db/TableDataset.h"
#include "ui/SectionGrid.h"

#include <QLineEdit>

void Tanaekr::saveSectionsFromGrid() {
    bolumler->commitOpenEditor();
    if (!m_sectionsTestName || !bolumler->changedSinceSaved())
        return;
    // Read and checked whole before anything is stored; a refusal keeps the rows typed.
    saveSections(m_database->websoru().database(), *m_sectionsTestName, bolumler->sections(),
                 strToInt(sorusaye->text()));
    bolumler->markSaved();
}

void Tanaekr::syncSections() {
    if (!m_database || !m_database->isConnected())
        return;
    saveSectionsFromGrid();
    if (m_sectionsTestName == testadl->text())
        return;
    // The grid belongs to the new name even when its stored table cannot be read:
    // it then starts empty, and saving replaces what was stored.
    m_sectionsTestName = testadl->text();
    bolumler->setSections({});
    bolumler->setSections(loadSections(m_database->websoru().database(), *m_sectionsTestName));
}
