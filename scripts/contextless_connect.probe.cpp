// Calls that scripts/contextless_connect.query must find (the lines marked "found")
// and must leave alone (the others). scripts/tidy_cached.py runs the query on this
// file before the sources, so a Qt whose connect overloads change cannot silently
// turn the check off. Never compiled.
#include <QObject>
#include <QTimer>
#include <functional>

void Probe(QObject* context, QTimer* timer)
{
    QObject::connect(timer, &QTimer::timeout, [] {}); // found: a lambda
    QObject::connect(timer, &QTimer::timeout, context, [] {});
    std::function<void()> function = [] {};
    QObject::connect(timer, &QTimer::timeout, function); // found: a functor
    QObject::connect(timer, &QTimer::timeout, timer, &QTimer::stop);
    QObject::connect(timer, SIGNAL(timeout()), context, SLOT(deleteLater()));
    context->connect(timer, SIGNAL(timeout()), SLOT(deleteLater()));
    QObject::connect(timer, &QTimer::timeout, &qt_noop); // found: a function
}

struct TProbeObject : QObject {
    void start(QTimer* timer)
    {
        connect(timer, &QTimer::timeout, [] {}); // found: unqualified, inside a QObject
    }
};
