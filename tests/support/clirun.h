#pragma once

#include "cli/cli.h"

#include <QStringList>
#include <QTextStream>

// A command line run in this process: its exit status and what it printed.
struct CliRun
{
    int status;
    QString out, err;
};

inline CliRun run(const QStringList& args)
{
    CliRun r{0, {}, {}};
    QTextStream out(&r.out), err(&r.err);
    r.status = tervan::runCli(args, out, err);
    out.flush();
    err.flush();
    return r;
}
