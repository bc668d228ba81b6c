// SPDX-License-Identifier: GPL-3.0-or-later
#include "configfiles.h"

#include "modem/modemview.h"
#include "system/application.h"
#include "system/dialogs.h"
#include "widgets/dialogconfigfilechooser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// A configuration is one line of about 150 bytes; anything much larger is
// some other file and is not read whole.
constexpr qint64 kLargestFile = 64 * 1024;

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

ModemConfig::Texts fieldTexts(const ModemView &view)
{
    ModemConfig::Texts texts;
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = view.fieldText(static_cast<int>(i));
    return texts;
}

QString notConfiguration(const QString &path, const QString &why)
{
    return QStringLiteral("%1 is not a configuration: %2. The fields are unchanged. Choose a file "
                          "that Save\u2026 wrote or that \"miran-cli read --json\" printed.")
        .arg(shownPath(path), why);
}
} // namespace

ConfigFiles::ConfigFiles(const Platform &platform)
    : m_platform(platform)
    , m_ownChooser(std::make_unique<DialogConfigFileChooser>())
    , m_chooser(m_ownChooser.get())
    , m_folder(QDir::homePath())
{}

ConfigFiles::~ConfigFiles() = default;

void ConfigFiles::setChooser(ConfigFileChooser *chooser)
{
    m_chooser = chooser ? chooser : m_ownChooser.get();
}

void ConfigFiles::save()
{
    const std::optional<ModemConfig> config = shownConfig(QStringLiteral("Nothing was saved."));
    if (!config)
        return;
    const QString path = choose(ConfigFileChooser::Purpose::Save);
    if (path.isEmpty())
        return;
    // Written whole or not at all: a failed write leaves an earlier file as it was.
    QSaveFile file(path);
    const QByteArray json = (config->toJson() + QLatin1Char('\n')).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
        report(QStringLiteral("The configuration could not be saved to %1: %2. Choose a folder "
                              "you may write to, with space free, and save again.")
                   .arg(shownPath(path), file.errorString()));
        return;
    }
    showStatus(QStringLiteral("Saved %1"), path);
}

void ConfigFiles::open()
{
    const std::optional<Chosen> chosen = chooseConfiguration(ConfigFileChooser::Purpose::Open);
    if (!chosen)
        return;
    // Setting a field's text clears its mark: it no longer shows what the
    // modem reported.
    const ModemConfig::Texts texts = chosen->config.texts();
    for (size_t i = 0; i < texts.size(); ++i)
        m_platform.view.setFieldText(static_cast<int>(i), texts[i]);
    showStatus(QStringLiteral("Opened %1: Set writes it to the modem"), chosen->path);
}

void ConfigFiles::compare()
{
    const std::optional<ModemConfig> shown = shownConfig(QStringLiteral("Nothing was compared."));
    if (!shown)
        return;
    const std::optional<Chosen> chosen = chooseConfiguration(ConfigFileChooser::Purpose::Compare);
    if (!chosen)
        return;
    const QList<ModemView::Difference> differences = shown->differences(chosen->config);
    // Only this comparison's marks stand: earlier ones speak of other values.
    m_platform.marks.clearAll();
    m_platform.marks.mark(differences, FieldMarks::Reason::Compared);
    const qsizetype count = differences.size();
    const QString result = count == 0   ? QStringLiteral("no field differs")
                           : count == 1 ? QStringLiteral("1 field differs")
                                        : QStringLiteral("%1 fields differ").arg(count);
    showStatus(QStringLiteral("Compared with %1: ") + result, chosen->path);
}

QString ConfigFiles::choose(ConfigFileChooser::Purpose purpose)
{
    const QString path = m_chooser->chooseConfigFile(m_platform.window, purpose, m_folder);
    if (!path.isEmpty())
        m_folder = QFileInfo(path).absolutePath();
    return path;
}

std::optional<ConfigFiles::Chosen>
ConfigFiles::chooseConfiguration(ConfigFileChooser::Purpose purpose)
{
    const QString path = choose(purpose);
    if (path.isEmpty())
        return std::nullopt;
    std::optional<ModemConfig> config = readFile(path);
    if (!config)
        return std::nullopt;
    return Chosen{path, *config};
}

std::optional<ModemConfig> ConfigFiles::shownConfig(const QString &notDone)
{
    QString problem;
    std::optional<ModemConfig> config =
        ModemConfig::fromTexts(fieldTexts(m_platform.view), problem);
    if (!config)
        report(problem + QLatin1Char(' ') + notDone);
    return config;
}

std::optional<ModemConfig> ConfigFiles::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report(QStringLiteral("%1 could not be opened: %2. The fields are unchanged. Check the "
                              "file's name and that you may read it.")
                   .arg(shownPath(path), file.errorString()));
        return std::nullopt;
    }
    const QByteArray json = file.read(kLargestFile + 1);
    if (json.size() > kLargestFile) {
        report(notConfiguration(path, QStringLiteral("it is larger than %1 KiB, and a "
                                                     "configuration is one short line")
                                          .arg(kLargestFile / 1024)));
        return std::nullopt;
    }
    ModemConfig::JsonError error;
    std::optional<ModemConfig> config = ModemConfig::fromJson(json, error);
    if (!config)
        report(notConfiguration(
            path, error.line > 0 ? QStringLiteral("line %1: %2").arg(error.line).arg(error.message)
                                 : error.message));
    return config;
}

void ConfigFiles::report(const QString &message)
{
    m_platform.dialogs.messageBox(message, Application::title());
}

void ConfigFiles::showStatus(const QString &text, const QString &path)
{
    m_platform.view.setShortStatus(text.arg(QFileInfo(path).fileName()), text.arg(shownPath(path)));
}
