// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modem/modemview.h"

#include <QFont>
#include <QList>
#include <QPalette>

#include <array>

class QLineEdit;

// Marks configuration fields: those the modem did not take after a Set, or
// those that differ from a file compared with. Red, underlined text (a cue
// that does not rest on colour alone), and both values in the tool tip and in
// what a screen reader reads as the field's description, until the field is
// edited or its text is set again.
class FieldMarks
{
public:
    using Fields = std::array<QLineEdit *, ModemView::kFieldCount>;

    // What a mark says: a Set's sent and reported values ("sent 5, modem
    // reports 3"), or the window's and a file's ("here 5, file has 3").
    enum class Reason
    {
        NotTaken,
        Compared,
    };

    explicit FieldMarks(const Fields &fields);

    void mark(const QList<ModemView::Difference> &differences, Reason reason = Reason::NotTaken);
    void clear(int field);
    void clearAll();
    bool isMarked(int field) const;

    static QString toolTip(const ModemView::Difference &difference,
                           Reason reason = Reason::NotTaken);

private:
    Fields m_fields;
    // The look of an unmarked field, put back by clear().
    QPalette m_plain;
    std::array<QFont, ModemView::kFieldCount> m_fonts;
    // Each field's own description (its range), which a mark is added to.
    std::array<QString, ModemView::kFieldCount> m_descriptions;
    std::array<bool, ModemView::kFieldCount> m_marked{};
};
