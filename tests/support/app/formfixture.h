// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/core/fakecomm.h"
#include "support/core/recordingcomm.h"
#include "support/core/recordingdialogs.h"

#include <QTemporaryDir>

#include <memory>

class Form1;
class Form1Ui;
class MSComm;
class PlatformObjects;

// The main window in a private folder: its own settings file and program
// folder (for Address.txt), recorded dialogs, and either a fake serial
// component or the real one.
class FormFixture
{
public:
    enum class Link
    {
        Fake,
        Serial,
        // The real component, with a record of every write.
        RecordedSerial
    };

    explicit FormFixture(Link link = Link::Fake);
    ~FormFixture();

    QString programFolder() const { return m_programFolder; }
    QString settingsFile() const { return m_settingsFile; }
    QString scratchPath(const QString &name) const { return m_folder.filePath(name); }
    // Before start: where the window keeps its settings and finds Address.txt.
    void setSettingsFile(const QString &path) { m_settingsFile = path; }
    void setProgramFolder(const QString &path) { m_programFolder = path; }
    QString addressFilePath() const;

    // Before start: what the settings file and the address file hold.
    void setSetting(const QString &key, const QString &value);
    void writeAddressFile(const QByteArray &content) const;
    QByteArray addressFileContent() const;

    // Creates the window (its load handler runs) and shows it.
    Form1 &start();
    // Closes the window as the user would (its unload handler runs) and
    // releases everything, so the next start reads the files afresh.
    void stop();

    Form1 &form() { return *m_form; }
    Form1Ui &ui();
    FakeComm &fake() { return *m_fake; }
    RecordingComm &recorder() { return *m_recorder; }
    MSComm &serial();

    RecordingDialogs dialogs;

private:
    Link m_link;
    QTemporaryDir m_folder;
    QString m_settingsFile;
    QString m_programFolder;
    std::unique_ptr<PlatformObjects> m_platform;
    std::unique_ptr<FakeComm> m_fake;
    std::unique_ptr<RecordingComm> m_recorder;
    std::unique_ptr<Form1> m_form;
};
