// SPDX-License-Identifier: GPL-3.0-or-later
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
        m_descriptions[i] = m_fields[i]->accessibleDescription();
        m_fonts[i] = m_fields[i]->font();
        QObject::connect(m_fields[i], &QLineEdit::textEdited, m_fields[i],
                         [this, i] { clear(static_cast<int>(i)); });
    }
}

void FieldMarks::mark(const QList<ModemView::Difference> &differences, Reason reason)
{
    for (const ModemView::Difference &difference : differences) {
        const auto index = static_cast<size_t>(difference.field);
        QLineEdit *field = m_fields.at(index);
        QPalette palette = m_plain;
        palette.setColor(QPalette::Text, kNotTaken);
        field->setPalette(palette);
        QFont font = m_fonts[index];
        font.setUnderline(true);
        field->setFont(font);
        const QString mark = toolTip(difference, reason);
        field->setToolTip(mark);
        field->setAccessibleDescription(m_descriptions[index].isEmpty()
                                            ? mark
                                            : m_descriptions[index] + QStringLiteral("; ") + mark);
        m_marked.at(index) = true;
    }
}

void FieldMarks::clear(int field)
{
    const auto index = static_cast<size_t>(field);
    if (!m_marked.at(index))
        return;
    m_marked.at(index) = false;
    QLineEdit *edit = m_fields.at(index);
    edit->setPalette(m_plain);
    edit->setFont(m_fonts[index]);
    edit->setToolTip(QString());
    edit->setAccessibleDescription(m_descriptions[index]);
}

void FieldMarks::clearAll()
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        clear(static_cast<int>(i));
}

bool FieldMarks::isMarked(int field) const
{
    return m_marked.at(static_cast<size_t>(field));
}

QString FieldMarks::toolTip(const ModemView::Difference &difference, Reason reason)
{
    const QString other =
        difference.reported.isEmpty() ? QStringLiteral("nothing") : difference.reported;
    if (reason == Reason::Compared)
        return QStringLiteral("here %1, file has %2").arg(difference.sent, other);
    return QStringLiteral("sent %1, modem reports %2").arg(difference.sent, other);
}
