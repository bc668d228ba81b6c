// SPDX-License-Identifier: GPL-3.0-or-later
#include "formfixture.h"

#include "shell/form1.h"
#include "shell/platformobjects.h"

#include <QDir>
#include <QFile>
#include <QSettings>

FormFixture::FormFixture(Link link)
    : m_link(link)
    , m_settingsFile(m_folder.filePath(QStringLiteral("MIRAN.ini")))
    , m_programFolder(m_folder.path())
{}

FormFixture::~FormFixture()
{
    if (m_form)
        stop();
}

QString FormFixture::addressFilePath() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("Address.txt"));
}

void FormFixture::setSetting(const QString &key, const QString &value)
{
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.setValue(key, value);
}

void FormFixture::writeAddressFile(const QByteArray &content) const
{
    QFile file(addressFilePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

QByteArray FormFixture::addressFileContent() const
{
    QFile file(addressFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Form1 &FormFixture::start()
{
    m_platform = std::make_unique<PlatformObjects>(settingsFile());
    CommControl *comm = nullptr;
    if (m_link == Link::Fake) {
        m_fake = std::make_unique<FakeComm>();
        comm = m_fake.get();
    } else if (m_link == Link::RecordedSerial) {
        m_recorder = std::make_unique<RecordingComm>(m_platform->serial);
        comm = m_recorder.get();
    }
    m_form = std::make_unique<Form1>(m_platform->forWindow(dialogs, programFolder(), comm));
    m_form->show();
    return *m_form;
}

void FormFixture::stop()
{
    m_form->close();
    m_form.reset();
    m_fake.reset();
    m_recorder.reset();
    m_platform.reset();
}

MSComm &FormFixture::serial()
{
    return m_platform->serial;
}

Form1Ui &FormFixture::ui()
{
    return m_form->ui();
}
