#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class QMimeData;

// Rows leave the application as tab-separated text, offered under the types
// text/tab-separated-values and text/plain, in this order.
QStringList tabularTextTypes();
// One row of that text: the cells' texts joined by tabs, with its line break.
QString tabularLine(const QList<QVariant>& cells);
// New data holding `text` under both types; owned by the caller.
QMimeData* tabularTextData(const QString& text);
