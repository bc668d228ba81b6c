#include "formfixture.h"

#include "platform/mscomm.h"
#include "platform/portmap.h"
#include "platform/qteventpump.h"
#include "platform/settingsstore.h"
#include "platform/steadyclock.h"
#include "shell/form1.h"

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
    m_settings = std::make_unique<SettingsStore>(settingsFile());
    m_portMap = std::make_unique<PortMap>(*m_settings);
    CommControl *comm = nullptr;
    if (m_link == Link::Fake) {
        m_fake = std::make_unique<FakeComm>();
        comm = m_fake.get();
    } else {
        m_serial = std::make_unique<MSComm>(*m_portMap);
        comm = m_serial.get();
    }
    m_clock = std::make_unique<SteadyClock>();
    m_pump = std::make_unique<QtEventPump>();
    m_form = std::make_unique<Form1>(Form1::Platform{*m_settings, *m_portMap, *comm, dialogs,
                                                     *m_clock, *m_pump, programFolder()});
    m_form->show();
    return *m_form;
}

void FormFixture::stop()
{
    m_form->close();
    m_form.reset();
    m_serial.reset();
    m_fake.reset();
    m_settings.reset();
}

Form1Ui &FormFixture::ui()
{
    return m_form->ui();
}
