#pragma once

#include <QString>
#include <ostream>

// Lets GoogleTest show a QString as text in failure messages instead of its
// UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
