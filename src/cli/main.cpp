#include "cli/clitool.h"
#include "config/visibletext.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    // A reader of the output that went away (a pipe into `head`) must not end the run in the
    // middle of a write to the unit: the run goes on, and its status says output was lost.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // The last resort: the commands catch what they throw; nothing ever leaves main.
    try {
        QCoreApplication app(argc, argv);
        CliTool tool(QCoreApplication::applicationDirPath());
        return tool.run(QCoreApplication::arguments().mid(1));
    } catch (const std::exception &error) {
        const QByteArray reason = VisibleText::of(CliTool::reasonOf(error)).toLocal8Bit();
        std::fprintf(stderr, "tavix-cli: %s\n", reason.constData());
    } catch (...) {
        std::fprintf(stderr, "tavix-cli: Работа прервана неизвестной ошибкой\n");
    }
    return CliTool::UnitFailed;
}
