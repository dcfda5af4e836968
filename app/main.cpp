#include "AppSetup.h"
#include "QtPrompts.h"
#include "Tanaekr.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    prepareApplication(app);

    QtPrompts prompts;
    Tanaekr anaekr(prompts);
    prompts.setParent(&anaekr);
    anaekr.show();
    anaekr.activateWindow();
    return app.exec();
}
