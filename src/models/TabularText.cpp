#include "models/TabularText.h"

#include <QMimeData>

QStringList tabularTextTypes()
{
    return {QStringLiteral("text/tab-separated-values"), QStringLiteral("text/plain")};
}

QMimeData* tabularTextData(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    auto* data = new QMimeData;
    for (const QString& type : tabularTextTypes())
        data->setData(type, bytes);
    return data;
}

QString tabularLine(const QList<QVariant>& cells)
{
    QStringList texts;
    for (const QVariant& cell : cells)
        texts.append(cell.toString());
    return texts.join(QLatin1Char('\t')) + QLatin1Char('\n');
}
