#include "fieldmarks.h"

#include <QLineEdit>

namespace {
const QColor kNotTaken(255, 64, 64);
} // namespace

FieldMarks::FieldMarks(const Fields &fields)
    : m_fields(fields)
    , m_plain(fields.front()->palette())
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        QObject::connect(m_fields[i], &QLineEdit::textEdited, m_fields[i],
                         [this, i] { clear(static_cast<int>(i)); });
    }
}

void FieldMarks::mark(const QList<ModemView::Difference> &differences)
{
    for (const ModemView::Difference &difference : differences) {
        QLineEdit *field = m_fields.at(static_cast<size_t>(difference.field));
        QPalette palette = m_plain;
        palette.setColor(QPalette::Text, kNotTaken);
        field->setPalette(palette);
        field->setToolTip(toolTip(difference));
        m_marked.at(static_cast<size_t>(difference.field)) = true;
    }
}

void FieldMarks::clear(int field)
{
    const auto index = static_cast<size_t>(field);
    if (!m_marked.at(index))
        return;
    m_marked.at(index) = false;
    m_fields.at(index)->setPalette(m_plain);
    m_fields.at(index)->setToolTip(QString());
}

bool FieldMarks::isMarked(int field) const
{
    return m_marked.at(static_cast<size_t>(field));
}

QString FieldMarks::toolTip(const ModemView::Difference &difference)
{
    return QStringLiteral("sent %1, modem reports %2")
        .arg(difference.sent,
             difference.reported.isEmpty() ? QStringLiteral("nothing") : difference.reported);
}
