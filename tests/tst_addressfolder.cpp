// SPDX-License-Identifier: GPL-3.0-or-later
// Where Address.txt lives: beside the program, or in the user's data folder
// seeded from the program's.
#include "address/addressfile.h"
#include "address/addressfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {
QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

QString addressFile(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("Address.txt"));
}

// A program folder and a data folder (not yet made) in one scratch folder.
struct Places
{
    QTemporaryDir scratch;
    QString program = scratch.filePath("bin");
    QString data = scratch.filePath("home/.local/share/MIRAN/MIRAN");

    Places() { QDir().mkpath(program); }
    AddressFolder folder() const { return AddressFolder(program, data); }
};
} // namespace

class AddressFolderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void usableProgramFolderIsKept();
    void otherwiseDataFolderIsMadeAndSeeded_data();
    void otherwiseDataFolderIsMadeAndSeeded();
    void seedingHappensOnce();
    void seedFromReadOnlyFileCanGrow();
    void dataFolderThatCannotBeMadeFailsAtAdd();
    void noDataFolderFallsBackToProgramFolder();
    void programFolderUsable_data();
    void programFolderUsable();
};

void AddressFolderTest::usableProgramFolderIsKept()
{
    const Places places;
    QVERIFY(writeAll(addressFile(places.program), "11223344\r\n"));

    QCOMPARE(places.folder().prepare(true), places.program);
    QVERIFY2(!QFileInfo::exists(places.data), "the data folder is not touched");
}

void AddressFolderTest::otherwiseDataFolderIsMadeAndSeeded_data()
{
    QTest::addColumn<bool>("programFileExists");
    QTest::addColumn<QByteArray>("programFile");
    QTest::addColumn<QByteArray>("seeded");
    QTest::addColumn<bool>("seededFileExists");

    QTest::newRow("terminated lines") << true << QByteArray("11223344\r\nAABBCCDD\r\n")
                                      << QByteArray("11223344\r\nAABBCCDD\r\n") << true;
    QTest::newRow("unterminated last line gets its CR LF")
        << true << QByteArray("11223344\r\nAABBCCDD") << QByteArray("11223344\r\nAABBCCDD\r\n")
        << true;
    QTest::newRow("lone CR ends a line") << true << QByteArray("11223344\rAABBCCDD\r")
                                         << QByteArray("11223344\r\nAABBCCDD\r\n") << true;
    QTest::newRow("Latin-1 bytes stay the same bytes")
        << true << QByteArray("\xe9\xff\r\n") << QByteArray("\xe9\xff\r\n") << true;
    QTest::newRow("empty file") << true << QByteArray() << QByteArray() << true;
    QTest::newRow("no file beside the program") << false << QByteArray() << QByteArray() << false;
}

void AddressFolderTest::otherwiseDataFolderIsMadeAndSeeded()
{
    QFETCH(bool, programFileExists);
    QFETCH(QByteArray, programFile);
    QFETCH(QByteArray, seeded);
    QFETCH(bool, seededFileExists);
    const Places places;
    if (programFileExists)
        QVERIFY(writeAll(addressFile(places.program), programFile));

    QCOMPARE(places.folder().prepare(false), places.data);

    QVERIFY(QFileInfo(places.data).isDir());
    QCOMPARE(QFileInfo::exists(addressFile(places.data)), seededFileExists);
    QCOMPARE(readAll(addressFile(places.data)), seeded);
    QCOMPARE(readAll(addressFile(places.program)), programFile);
}

void AddressFolderTest::seedingHappensOnce()
{
    // GIVEN a data file the user has already added to
    const Places places;
    QVERIFY(writeAll(addressFile(places.program), "11223344\r\n"));
    places.folder().prepare(false);
    QCOMPARE(AddressFile(addressFile(places.data)).append("55667788"), QString());

    // WHEN the program starts again, with a changed file beside it
    QVERIFY(writeAll(addressFile(places.program), "99999999\r\n"));
    places.folder().prepare(false);

    // THEN the user's file is left as it was
    QCOMPARE(readAll(addressFile(places.data)), QByteArray("11223344\r\n55667788\r\n"));
}

void AddressFolderTest::seedFromReadOnlyFileCanGrow()
{
    const Places places;
    const QString shipped = addressFile(places.program);
    QVERIFY(writeAll(shipped, "11223344\r\n"));
    QVERIFY(QFile::setPermissions(shipped, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    const AddressFile file(addressFile(places.folder().prepare(false)));

    QCOMPARE(file.append("55667788"), QString());
    QCOMPARE(file.readLines(), QStringList({"11223344", "55667788"}));
}

void AddressFolderTest::dataFolderThatCannotBeMadeFailsAtAdd()
{
    // A plain file where the data folder's parent should be.
    Places places;
    QVERIFY(writeAll(places.scratch.filePath("home"), "not a folder"));

    const QString chosen = places.folder().prepare(false);

    QCOMPARE(chosen, places.data);
    const AddressFile file(addressFile(chosen));
    QVERIFY(!file.ensureExists());
    QVERIFY(!file.append("11223344").isEmpty());
}

void AddressFolderTest::noDataFolderFallsBackToProgramFolder()
{
    const Places places;
    QCOMPARE(AddressFolder(places.program, QString()).prepare(false), places.program);
}

void AddressFolderTest::programFolderUsable_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("usable");

    QTest::newRow("writable build folder") << false << false << true;
    QTest::newRow("read-only folder") << true << false << false;
    QTest::newRow("installed copy in a writable folder") << false << true << false;
    QTest::newRow("installed copy in a read-only folder") << true << true << false;
}

void AddressFolderTest::programFolderUsable()
{
    QFETCH(bool, readOnly);
    QFETCH(bool, installed);
    QFETCH(bool, usable);
    if (readOnly && !installed && geteuid() == 0)
        QSKIP("Running as root: a read-only mode does not stop root from writing");
    const Places places;
    if (installed) {
        const QString entries = places.scratch.filePath("share/applications");
        QVERIFY(QDir().mkpath(entries));
        QVERIFY(writeAll(QDir(entries).filePath(MIRAN_APP_ID ".desktop"), "[Desktop Entry]\n"));
    }
    const auto mode = QFile::permissions(places.program);
    if (readOnly)
        QVERIFY(QFile::setPermissions(places.program, QFile::ReadOwner | QFile::ExeOwner));

    const bool result = AddressFolder::programFolderUsable(places.program);

    QFile::setPermissions(places.program, mode);
    QCOMPARE(result, usable);
}

QTEST_GUILESS_MAIN(AddressFolderTest)
#include "tst_addressfolder.moc"
