#pragma once

#include "modem/modemview.h"

#include <QList>
#include <QPalette>

#include <array>

class QLineEdit;

// Marks the configuration fields the modem did not take after a Set: red
// text and a tool tip with both values, until the field is edited or its text
// is set again.
class FieldMarks
{
public:
    using Fields = std::array<QLineEdit *, ModemView::kFieldCount>;

    explicit FieldMarks(const Fields &fields);

    void mark(const QList<ModemView::Difference> &differences);
    void clear(int field);
    bool isMarked(int field) const;

    static QString toolTip(const ModemView::Difference &difference);

private:
    Fields m_fields;
    // The look of an unmarked field, put back by clear().
    QPalette m_plain;
    std::array<bool, ModemView::kFieldCount> m_marked{};
};
