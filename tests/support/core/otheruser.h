// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Runs programs of the build as a throwaway user (nobody), for the tests that
// need someone whom file modes and exclusive opens apply to: root passes
// them all. Each program is first copied to a folder every user can read,
// since the build folder may be closed to others; nobody gets a private home
// and runtime folder of its own.
class OtherUser
{
public:
    struct Result
    {
        bool finished = false;
        int exitCode = -1;
        QString output;
        QString errors;
    };

    OtherUser();

    // Whether this process is root, so that only another user meets refusals.
    static bool needed();

    // Empty when the user can be used, else why not.
    QString failure() const { return m_failure; }

    Result run(const QString &program, const QStringList &arguments);

    // Runs the current test function and data row of this test program as
    // the other user. Empty when it passed there, else its output.
    QString runCurrentRow();

private:
    QTemporaryDir m_programs;
    QTemporaryDir m_home;
    QString m_setpriv;
    QString m_user;
    QString m_failure;
};
