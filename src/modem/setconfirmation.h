#pragma once

#include "modemview.h"

#include <QList>
#include <QString>

#include <array>

// Compares what a Set sent with what the read-back after it decoded, field by
// field, in the fields' own forms.
class SetConfirmation
{
public:
    using FieldTexts = std::array<QString, ModemView::kFieldCount>;

    // The fields whose decoded text is not the sent byte's text; a field the
    // reply did not reach ("??") counts as not taken.
    static QList<ModemView::Difference> differences(const QString &sentPacket,
                                                    const FieldTexts &decoded);

    // The sent byte of a field as the field shows it: hexadecimal for the
    // eight address bytes, decimal for the rest.
    static QString fieldText(int field, char16_t byte);

    // What the status bar's final text gets appended: " - 1 field not taken by the modem",
    // empty when all were taken.
    static QString statusSuffix(qsizetype notTaken);
};
