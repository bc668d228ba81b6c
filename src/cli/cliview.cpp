#include "cliview.h"

CliView::CliView(qint32 baudRate)
    : m_fields(kFieldCount, QStringLiteral("??"))
    , m_baudRate(QString::number(baudRate))
{}

QString CliView::fieldText(int field) const
{
    return m_fields.value(field);
}

void CliView::setFieldText(int field, const QString &text)
{
    if (field >= 0 && field < m_fields.size())
        m_fields[field] = text;
}

void CliView::setFieldTexts(const QStringList &texts)
{
    for (int field = 0; field < kFieldCount; ++field)
        setFieldText(field, texts.value(field));
}
