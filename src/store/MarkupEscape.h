#pragma once

#include <QString>
#include <QStringView>

// Entity escaping for the reports, appended straight to the text being built.
enum class TMarkup {
    Html,         // & < > "
    XmlAttribute, // blank & < > " ' (the blank as "&#32;")
};

void AppendEscaped(QString& out, QStringView text, TMarkup markup);
