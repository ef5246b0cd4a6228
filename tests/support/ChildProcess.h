#pragma once

#include <QString>
#include <QStringList>
#include <sys/types.h>

// Where a child started by StartChild reads and writes: descriptors the child gets
// as its standard input, output and error; -1 leaves the parent's own.
struct TChildStreams {
    int input = -1;
    int output = -1;
    int errors = -1;
};

// Starts program (looked up in PATH unless it names a path) with the arguments by a
// plain fork and exec; the child's PID, or -1 with errno set. A child that cannot
// exec exits with 127. QProcess is not used: its vfork-style start (the child runs
// in the parent's memory until it execs) confuses ThreadSanitizer's view of the
// test process.
pid_t StartChild(const QString& program, const QStringList& arguments, const TChildStreams& streams);
