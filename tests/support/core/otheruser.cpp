// SPDX-License-Identifier: GPL-3.0-or-later
#include "otheruser.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr auto kUserName = "nobody";
constexpr int kTimeoutMs = 120'000;
constexpr QFile::Permissions kReadAndRun = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                           QFile::ExeOther;
} // namespace

OtherUser::OtherUser()
    : m_setpriv(QStandardPaths::findExecutable(QStringLiteral("setpriv")))
{
    const passwd *user = ::getpwnam(kUserName);
    if (m_setpriv.isEmpty()) {
        m_failure = QStringLiteral("setpriv (package util-linux) is not installed");
    } else if (user == nullptr) {
        m_failure = QStringLiteral("There is no user %1").arg(QLatin1String(kUserName));
    } else if (!m_programs.isValid() || !m_home.isValid() ||
               !QFile::setPermissions(m_programs.path(), kReadAndRun) ||
               ::chown(QFile::encodeName(m_home.path()).constData(), user->pw_uid, user->pw_gid) !=
                   0) {
        m_failure = QStringLiteral("Cannot prepare folders for %1").arg(QLatin1String(kUserName));
    } else {
        m_user = QString::number(user->pw_uid);
    }
}

bool OtherUser::needed()
{
    return ::geteuid() == 0;
}

OtherUser::Result OtherUser::run(const QString &program, const QStringList &arguments)
{
    Result result;
    if (!m_failure.isEmpty()) {
        result.errors = m_failure;
        return result;
    }
    const QString copy = m_programs.filePath(QFileInfo(program).fileName());
    if (!QFile::exists(copy) &&
        (!QFile::copy(program, copy) || !QFile::setPermissions(copy, kReadAndRun))) {
        result.errors = QStringLiteral("Cannot copy %1 to %2").arg(program, copy);
        return result;
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
    // Sanitizer reports of the other user go to its error output, which a
    // failing run shows: it cannot write to this user's report folder.
    QString sanitizer = environment.value(QStringLiteral("ASAN_OPTIONS"));
    sanitizer.remove(QRegularExpression(QStringLiteral("(^|:)log_path=[^:]*")));
    environment.insert(QStringLiteral("ASAN_OPTIONS"), sanitizer);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_home.path());
    process.start(m_setpriv, QStringList{QStringLiteral("--reuid=") + m_user,
                                         QStringLiteral("--regid=nogroup"),
                                         QStringLiteral("--clear-groups"), copy} +
                                 arguments);
    result.finished =
        process.waitForFinished(kTimeoutMs) && process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

QString OtherUser::runCurrentRow()
{
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    const Result result =
        run(QCoreApplication::applicationFilePath(), {function + QLatin1Char(':') + row});
    const QString passed = QStringLiteral("::%1(%2)").arg(function, row);
    const QStringList lines = result.output.split(QLatin1Char('\n'));
    const bool ran = std::any_of(lines.cbegin(), lines.cend(), [&passed](const QString &line) {
        return line.startsWith(QLatin1String("PASS   : ")) && line.endsWith(passed);
    });
    if (result.finished && result.exitCode == 0 && ran)
        return {};
    return QStringLiteral("As %1 (exit code %2):\n%3%4")
        .arg(QLatin1String(kUserName))
        .arg(result.exitCode)
        .arg(result.output, result.errors);
}
