#include "cli/clitool.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    CliTool tool(QCoreApplication::applicationDirPath());
    return tool.run(QCoreApplication::arguments().mid(1));
}
