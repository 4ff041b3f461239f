#include "app/tavixapplication.h"
#include "app/tform1.h"

int main(int argc, char **argv)
{
    TavixApplication app(argc, argv);
    StartOptions options;
    options.programDir = QCoreApplication::applicationDirPath();
    options.arguments = QCoreApplication::arguments().mid(1);
    TForm1 form(options);
    form.show();
    return app.exec();
}
