#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

// Rows leave the application as tab-separated text, offered under the types
// text/tab-separated-values and text/plain, in this order.
QStringList tabularTextTypes();
// New data holding `text` under both types; owned by the caller.
QMimeData* tabularTextData(const QString& text);
