#include "ui/AppSetup.h"
#include "ui/QtPrompts.h"
#include "ui/Tanaekr.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    prepareApplication(app);

    QtPrompts prompts;
    Tanaekr anaekr(prompts);
    prompts.setParent(&anaekr);
    anaekr.show();
    anaekr.activateWindow();
    return app.exec();
}
