// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fieldmarks.h"
#include "modem/modemconfig.h"
#include "widgets/configfilechooser.h"

#include <QString>

#include <memory>
#include <optional>

class Dialogs;
class ModemView;
class QWidget;

// The Modem Setup page's "Save…", "Open…" and "Compare…": the twelve fields
// to and from a configuration file in miran-cli's JSON format, the one line
// "miran-cli read --json" prints. None of them touches the modem; Set writes
// what Open put into the fields.
class ConfigFiles
{
public:
    struct Platform
    {
        ModemView &view;
        FieldMarks &marks;
        Dialogs &dialogs;
        // The window the file dialogs belong to.
        QWidget *window;
    };

    explicit ConfigFiles(const Platform &platform);
    ~ConfigFiles();

    ConfigFiles(const ConfigFiles &) = delete;
    ConfigFiles &operator=(const ConfigFiles &) = delete;

    // Another chooser answers the file dialogs; nullptr brings the dialogs back.
    void setChooser(ConfigFileChooser *chooser);
    // Where the next file dialog starts: the folder of the file last chosen.
    const QString &folder() const { return m_folder; }

    // Writes the fields to a chosen file.
    void save();
    // Fills the fields from a chosen file, clearing their marks.
    void open();
    // Marks the fields that differ from a chosen file and says how many.
    void compare();

private:
    // A file chosen and read as a configuration.
    struct Chosen
    {
        QString path;
        ModemConfig config;
    };

    // Asks for a file and remembers its folder; empty when cancelled.
    QString choose(ConfigFileChooser::Purpose purpose);
    // Asks for a file and reads it; nothing when cancelled or when a box
    // said why it is not a configuration.
    std::optional<Chosen> chooseConfiguration(ConfigFileChooser::Purpose purpose);
    // The fields as a configuration; when one cannot be read, a box names it
    // and says what was not done.
    std::optional<ModemConfig> shownConfig(const QString &notDone);
    // The file as a configuration; when it is none, a box says why.
    std::optional<ModemConfig> readFile(const QString &path);
    void report(const QString &message);
    // The status bar names the file, its tool tip gives the whole path.
    void showStatus(const QString &text, const QString &path);

    Platform m_platform;
    std::unique_ptr<ConfigFileChooser> m_ownChooser;
    ConfigFileChooser *m_chooser = nullptr;
    QString m_folder;
};
