// tevo-cli: Tevo without a window, for servers, NAS boxes and seedboxes.

#include <csignal>
#include <cstdio>

#include <QCoreApplication>

#include "CliArguments.h"
#include "engine/Version.h"
#include "HeadlessProgram.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tevo"));
    // A reader of the log that goes away (tevo-cli ... | head) must not end a job half-way.
    std::signal(SIGPIPE, SIG_IGN);

    QString error;
    const std::optional<CliArguments> arguments =
        ParseCliArguments(QCoreApplication::arguments().mid(1), &error);
    if (!arguments) {
        std::fprintf(stderr, "tevo-cli: %s\n%s", qPrintable(error),
                     "Usage: tevo-cli [--options FILE.os] [--set KEY=VALUE]... [--passwords FILE] "
                     "[--watch] [--yes] [--json] FOLDER...\n"
                     "Try 'tevo-cli --help' for more.\n");
        return 2;
    }
    if (arguments->help) {
        std::fputs(CliUsage().toUtf8().constData(), stdout);
        return 0;
    }
    if (arguments->version) {
        std::printf("tevo-cli %s\n", qPrintable(TevoVersionText));
        return 0;
    }
    HeadlessProgram program(*arguments);
    return program.run();
}
