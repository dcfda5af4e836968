#include "core/FileSet.h"
#include "ui/AppSetup.h"
#include "ui/QtPrompts.h"
#include "ui/Tanaekr.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    prepareApplication(app);
    // A page set whose writing was cut short by a kill is finished before anything else.
    recoverFileSets(QDir::currentPath());

    QtPrompts prompts;
    Tanaekr anaekr(prompts);
    prompts.setParent(&anaekr);
    anaekr.show();
    anaekr.activateWindow();
    return app.exec();
}
