// SPDX-License-Identifier: GPL-3.0-or-later
// Port and baud rate survive the program: one run stores them at closing,
// the next shows them. Two processes, since the settings store caches.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class SettingsRunTest : public QObject
{
    Q_OBJECT

private:
    QStringList runProbe(const QStringList &arguments);

    QTemporaryDir m_home;

private Q_SLOTS:
    void portAndBaudSurviveARestart();
};

QStringList SettingsRunTest::runProbe(const QStringList &arguments)
{
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       m_home.filePath(QStringLiteral("config")));
    probe.setProcessEnvironment(environment);
    probe.start(qEnvironmentVariable("MIRAN_SETTINGS_PROBE", QStringLiteral(SETTINGS_PROBE_PATH)),
                QStringList{m_home.path()} + arguments);
    if (!probe.waitForFinished(30'000) || probe.exitCode() != 0)
        return {QStringLiteral("probe failed: ") +
                QString::fromLocal8Bit(probe.readAllStandardError())};
    return QString::fromLocal8Bit(probe.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void SettingsRunTest::portAndBaudSurviveARestart()
{
    QVERIFY(m_home.isValid());
    const QStringList first = runProbe({QStringLiteral("7"), QStringLiteral("9600")});
    QCOMPARE(first.value(0), QStringLiteral("1"));
    QCOMPARE(first.value(1), QStringLiteral("38400"));

    const QString iniFile = m_home.filePath(QStringLiteral("config/MIRAN/MIRAN.ini"));
    QCOMPARE(first.value(2), QStringLiteral("file: ") + iniFile);
    QFile ini(iniFile);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray content = ini.readAll();
    QVERIFY2(content.contains("[Settings]"), content.constData());
    QVERIFY2(content.contains("Port=7"), content.constData());
    QVERIFY2(content.contains("BAUD=9600"), content.constData());

    const QStringList second = runProbe({});
    QCOMPARE(second.value(0), QStringLiteral("7"));
    QCOMPARE(second.value(1), QStringLiteral("9600"));
}

QTEST_GUILESS_MAIN(SettingsRunTest)
#include "tst_settingsrun.moc"
