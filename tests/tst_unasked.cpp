// SPDX-License-Identifier: GPL-3.0-or-later
// Nothing reaches the modem that the user did not ask for: the window on the
// real serial component against the simulated modem, with focus moves, the
// window closing, a refused field, and long runs of random user actions.
#include "support/app/controltexts.h"
#include "support/app/formfixture.h"
#include "support/app/simwindow.h"
#include "support/core/seeds.h"

#include "shell/form1.h"
#include "shell/form1ui.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <random>

namespace {
// Entries before the built-in ones: the list's first item is not the address
// the window shows at start, as in a user's own list.
const QByteArray kAddressFile = "11223344\r\n7F7F7F7E\r\n";
const QByteArray kSimBytes = QByteArray::fromHex(kSimConfiguration.toLatin1());
// Long enough for a write started by mistake to have put its packet on the
// line: "+++" goes out at once, the packet 0.2 s later.
constexpr int kWriteWouldShowMs = 700;

void focusAddressList(Form1 &form, Form1Ui &ui)
{
    ui.showPage(Form1Ui::Page::Terminal);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(ui.Combo4->lineEdit(), Qt::LeftButton);
    QTRY_VERIFY(ui.Combo4->hasFocus());
}

qsizetype packets(const QList<QByteArray> &writes)
{
    return std::count_if(writes.cbegin(), writes.cend(),
                         [](const QByteArray &chunk) { return chunk.size() == 12; });
}
} // namespace

class UnaskedTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void focusLeavingTheAddressListSendsNothing_data();
    void focusLeavingTheAddressListSendsNothing();
    void arrowKeysInTheAddressListWrite();
    void refusedFieldNeverHoldsCommandMode();
    void signalClosesTheProgramAsTheUserWould_data();
    void signalClosesTheProgramAsTheUserWould();
    void randomUserActions();
};

void UnaskedTest::focusLeavingTheAddressListSendsNothing_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("away");

    for (const bool connected : {true, false}) {
        for (const QString away : {"Tab", "click the typing box", "close the window"}) {
            const QString row = (connected ? "connected, " : "disconnected, ") + away;
            QTest::newRow(qPrintable(row)) << connected << away;
        }
    }
}

void UnaskedTest::focusLeavingTheAddressListSendsNothing()
{
    QFETCH(bool, connected);
    QFETCH(QString, away);
    SimWindow window;
    window.fixture.writeAddressFile(kAddressFile);
    QVERIFY2(connected ? window.connect() : window.start(), qPrintable(window.failure()));
    Form1 &form = window.fixture.form();
    Form1Ui &ui = window.ui();
    // GIVEN a channel edited but not Set, and the focus in the address list
    ui.Text9->setText(QStringLiteral("20"));
    focusAddressList(form, ui);

    // WHEN the focus leaves it without a choice
    if (away == QLatin1String("Tab"))
        QTest::keyClick(ui.Combo4, Qt::Key_Tab);
    else if (away == QLatin1String("click the typing box"))
        QTest::mouseClick(ui.Text14->viewport(), Qt::LeftButton);
    else
        form.close();
    QTest::qWait(kWriteWouldShowMs);

    // THEN the modem heard nothing, the window asked nothing and closes
    // (Connecting read the configuration: "+++" and "---".)
    const QList<QByteArray> connecting =
        connected ? QList<QByteArray>{"+++", "---"} : QList<QByteArray>{};
    QCOMPARE(ModemSim::burstBytes(window.sim.rxBursts()), connecting);
    QCOMPARE(window.fixture.recorder().writes, connecting);
    QCOMPARE(window.sim.configuration(), kSimBytes);
    QCOMPARE(window.fixture.dialogs.messages, QList<RecordingDialogs::Box>());
    QCOMPARE(ui.Text9->text(), QStringLiteral("20"));
    QCOMPARE(form.isVisible(), away != QLatin1String("close the window"));
}

void UnaskedTest::arrowKeysInTheAddressListWrite()
{
    SimWindow window;
    window.fixture.writeAddressFile(kAddressFile);
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    focusAddressList(window.fixture.form(), ui);
    ui.Combo4->setCurrentIndex(0);

    // The arrow key is the user's choice of the next item, 7F7F7F7E.
    QTest::keyClick(ui.Combo4, Qt::Key_Down);

    QTRY_COMPARE_WITH_TIMEOUT(packets(window.fixture.recorder().writes), 1, 5'000);
    QTRY_COMPARE_WITH_TIMEOUT(window.sim.configuration(), kSimBytes, 5'000);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 5'000);
}

void UnaskedTest::refusedFieldNeverHoldsCommandMode()
{
    SimWindow window;
    window.fixture.writeAddressFile("7F7F7FZZ\r\n");
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    const RecordingComm &recorder = window.fixture.recorder();
    // While the box is open, the modem is not in command mode.
    QList<QByteArray> writesWhileOpen;
    window.fixture.dialogs.whileOpen = [&] { writesWhileOpen = recorder.writes; };
    focusAddressList(window.fixture.form(), ui);
    ui.Combo4->setCurrentIndex(1);

    QTest::keyClick(ui.Combo4, Qt::Key_Up);

    QCOMPARE(window.fixture.dialogs.messages,
             (QList<RecordingDialogs::Box>{{"Invalid input (00-FF)", "Error!!"}}));
    QVERIFY(!writesWhileOpen.isEmpty());
    QCOMPARE(writesWhileOpen.constLast(), QByteArray("---"));
    // The write goes on as before, without a packet, and reads back.
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 5'000);
    QCOMPARE(packets(recorder.writes), 0);
    QCOMPARE(recorder.writes.constLast(), QByteArray("---"));
    QCOMPARE(window.sim.configuration(), kSimBytes);
}

void UnaskedTest::signalClosesTheProgramAsTheUserWould_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void UnaskedTest::signalClosesTheProgramAsTheUserWould()
{
    QFETCH(int, signalNumber);
    QTemporaryDir config;
    QVERIFY(config.isValid());
    const QString ini = config.filePath(QStringLiteral("MIRAN/MIRAN.ini"));
    QVERIFY(QDir().mkpath(QFileInfo(ini).path()));
    QFile settings(ini);
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Settings]\nPort=3\n");
    settings.close();

    // GIVEN the program itself, started as a user starts it
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("MIRAN_PROGRAM"), {});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    // Until it catches the signal (it starts to early on, before its window
    // is up), the signal would end it at once: wait for the handler, as the
    // kernel lists it.
    const auto catchesTheSignal = [&program, signalNumber] {
        QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("SigCgt:"))
                return ((line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signalNumber - 1)) &
                        1) != 0;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(catchesTheSignal(), 30'000);

    // WHEN the signal comes (logging out, kill)
    QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signalNumber), 0);

    // THEN it closes as through its close box: the settings are written (the
    // baud rate was not there before), and the exit code names the signal
    QVERIFY(program.waitForFinished(10'000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 128 + signalNumber);
    const QSettings written(ini, QSettings::IniFormat);
    QCOMPARE(written.value(QStringLiteral("Settings/Port")).toString(), QStringLiteral("3"));
    QCOMPARE(written.value(QStringLiteral("Settings/BAUD")).toString(), QStringLiteral("38400"));
}

// --- Random user actions ----------------------------------------------------

namespace {
// One seeded run of random user actions on the window against the simulated
// modem. Every packet written must come from inside a Set click or an
// address choice, each good for one packet; after every action the program
// must not have left the modem in command mode.
class RandomUser
{
public:
    RandomUser(SimWindow &window, quint32 seed)
        : m_window(window)
        , m_random(seed)
        , m_seed(seed)
    {}

    // Runs the actions; false, with failure() saying why, at the first broken
    // rule.
    bool run(int steps);
    QString failure() const { return m_failure; }
    int packets() const { return m_packets; }
    // The user's "+++" was the last command sequence sent.
    bool enteredByUser() const { return m_enteredByUser; }
    int permits() const { return m_permits; }

private:
    using Action = void (RandomUser::*)();
    struct Choice
    {
        int weight;
        Action action;
        const char *name;
        // A Set click or an address choice: it may write one packet.
        bool permits = false;
    };
    // An action under way, outermost first; actions run inside the waits of
    // others.
    struct Running
    {
        const char *name;
        bool permitUnused;
    };

    Form1Ui &ui() { return m_window.ui(); }
    Form1 &form() { return m_window.fixture.form(); }
    RecordingComm &recorder() { return m_window.fixture.recorder(); }
    int below(int bound) { return static_cast<int>(m_random() % static_cast<quint32>(bound)); }
    template<typename T>
    T pick(std::initializer_list<T> items)
    {
        return *(items.begin() + below(static_cast<int>(items.size())));
    }

    void click(QWidget *widget);
    void connectButton() { click(ui().Command7); }
    void set() { click(ui().Command2); }
    void refresh() { click(ui().Command3); }
    void enterButton() { click(ui().Command1); }
    void exitButton() { click(ui().Command4); }
    void clear() { click(ui().Command5); }
    void add();
    void addressByKeys();
    void addressByMouse();
    void portByKeys();
    void rateByKeys();
    void tab();
    void clickSomewhere();
    void typeKey();
    void switchPage();
    void restart();
    // The window takes the keyboard, as when the user clicks its title bar.
    void activate()
    {
        form().activateWindow();
        if (!QTest::qWaitForWindowActive(&form()))
            fail(QStringLiteral("the window did not become active"));
    }
    void pause() { QTest::qWait(below(150)); }
    void later();

    void watchWrites();
    void written(const QByteArray &bytes);
    void act(int depth);
    void check();
    void fail(const QString &why);

    SimWindow &m_window;
    std::mt19937 m_random;
    quint32 m_seed;
    int m_step = 0;
    std::vector<Running> m_running;
    int m_packets = 0;
    int m_permits = 0;
    // The last "+++" on the line came from the "+++" button.
    bool m_enteredByUser = false;
    QString m_failure;
};

void RandomUser::click(QWidget *widget)
{
    // A user clicks only what is shown.
    if (widget->isVisible())
        QTest::mouseClick(widget, Qt::LeftButton);
}

void RandomUser::add()
{
    m_window.fixture.dialogs.answers = {pick({"0000ABCD", "7F7F7F7", "12 34 56", ""})};
    click(ui().Command6);
}

void RandomUser::addressByKeys()
{
    if (!ui().Combo4->isVisible())
        return;
    ui().Combo4->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(ui().Combo4, pick({Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End}));
}

void RandomUser::addressByMouse()
{
    QComboBox *list = ui().Combo4;
    if (!list->isVisible() || list->count() == 0)
        return;
    list->showPopup();
    QAbstractItemView *view = list->view();
    const QModelIndex item = view->model()->index(below(list->count()), 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    list->hidePopup();
}

void RandomUser::portByKeys()
{
    if (!ui().Combo1->isVisible())
        return;
    // Mostly the simulator's port 1; other numbers have no device.
    ui().Combo1->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(ui().Combo1, below(4) == 0 ? Qt::Key_Down : Qt::Key_Home);
}

void RandomUser::rateByKeys()
{
    if (!ui().Combo2->isVisible())
        return;
    ui().Combo2->setFocus(Qt::MouseFocusReason);
    // Mostly back to the simulator's 38400, the seventh rate.
    if (below(3) == 0)
        QTest::keyClick(ui().Combo2, pick({Qt::Key_Up, Qt::Key_Down}));
    else
        for (int i = ui().Combo2->currentIndex(); i != 6; i += i < 6 ? 1 : -1)
            QTest::keyClick(ui().Combo2, i < 6 ? Qt::Key_Down : Qt::Key_Up);
}

void RandomUser::tab()
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &form(), Qt::Key_Tab,
                    below(3) == 0 ? Qt::ShiftModifier : Qt::NoModifier);
}

void RandomUser::clickSomewhere()
{
    Form1Ui &shown = ui();
    const std::array<QLineEdit *, 12> fields = shown.configFields();
    QWidget *target = below(3) == 0
                          ? static_cast<QWidget *>(fields.at(static_cast<size_t>(below(12))))
                          : pick<QWidget *>({shown.Text14->viewport(), shown.Combo4->lineEdit(),
                                             shown.Combo1->lineEdit(), shown.Command7});
    click(target);
}

void RandomUser::typeKey()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return;
    const char keys[] = "0123456789AaFfZz? ";
    if (below(5) == 0)
        QTest::keyClick(focus, pick({Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete}));
    else
        QTest::keyClick(focus, keys[below(static_cast<int>(sizeof keys) - 1)]);
}

void RandomUser::switchPage()
{
    QTabBar *bar = ui().TabStrip1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(below(bar->count())).center());
}

void RandomUser::restart()
{
    // The user closes the program and starts it again: the list's text is
    // the saved address again, not its first item.
    m_window.fixture.stop();
    m_window.fixture.start();
    watchWrites();
    activate();
}

void RandomUser::later()
{
    // Something the user does while an exchange waits: runs from the event
    // loop, in the middle of whatever runs then.
    QTimer::singleShot(10 + below(900), &form(), [this] { act(1); });
}

void RandomUser::watchWrites()
{
    recorder().onWrite = [this](const QByteArray &bytes) { written(bytes); };
}

void RandomUser::written(const QByteArray &bytes)
{
    if (bytes == "---")
        m_enteredByUser = false;
    if (bytes == "+++")
        m_enteredByUser = !m_running.empty() && m_running.back().name == QLatin1String("+++");
    if (bytes.size() != 12)
        return;
    ++m_packets;
    const auto asked = std::find_if(m_running.rbegin(), m_running.rend(),
                                    [](const Running &running) { return running.permitUnused; });
    if (asked != m_running.rend()) {
        asked->permitUnused = false;
        return;
    }
    QStringList running;
    for (const Running &action : m_running)
        running.append(QLatin1String(action.name));
    fail(QStringLiteral("a packet nobody asked for, written during: ") +
         running.join(QStringLiteral(" > ")));
}

void RandomUser::act(int depth)
{
    static const Choice choices[] = {
        {6, &RandomUser::connectButton, "Connect"},
        {3, &RandomUser::set, "Set", true},
        {4, &RandomUser::refresh, "Refresh"},
        {3, &RandomUser::enterButton, "+++"},
        {4, &RandomUser::exitButton, "- - -"},
        {4, &RandomUser::clear, "Clear"},
        {3, &RandomUser::add, "Add"},
        {3, &RandomUser::addressByKeys, "address by keys", true},
        {1, &RandomUser::addressByMouse, "address by mouse", true},
        {2, &RandomUser::portByKeys, "port by keys"},
        {3, &RandomUser::rateByKeys, "rate by keys"},
        {25, &RandomUser::tab, "Tab"},
        {20, &RandomUser::clickSomewhere, "click"},
        {30, &RandomUser::typeKey, "key"},
        {12, &RandomUser::switchPage, "page"},
        {2, &RandomUser::restart, "restart"},
        {6, &RandomUser::pause, "pause"},
        {4, &RandomUser::later, "later"},
    };
    int total = 0;
    for (const Choice &choice : choices)
        total += choice.weight;
    int roll = below(total);
    const Choice *chosen = choices;
    while ((roll -= chosen->weight) >= 0)
        ++chosen;
    // A restart from inside an exchange would pull the window away from under
    // it; nested actions do everything else.
    if (depth > 0 && chosen->action == &RandomUser::restart)
        return;
    m_permits += chosen->permits ? 1 : 0;
    m_running.push_back({chosen->name, chosen->permits});
    (this->*chosen->action)();
    m_running.pop_back();
    if (depth == 0)
        check();
}

void RandomUser::fail(const QString &why)
{
    if (!m_failure.isEmpty())
        return;
    m_failure = QStringLiteral("seed %1, step %2: %3").arg(m_seed).arg(m_step).arg(why);
}

void RandomUser::check()
{
    const ModemSession &session = form().session();
    if (!session.exchangeRunning() && session.isInCommandMode() && !m_enteredByUser)
        fail(QStringLiteral("the program left the modem in command mode"));
}

bool RandomUser::run(int steps)
{
    watchWrites();
    activate();
    for (m_step = 0; m_step < steps && m_failure.isEmpty(); ++m_step) {
        act(0);
        if (m_step % 100 == 0) {
            // Alive: the event loop still runs.
            bool ticked = false;
            QTimer::singleShot(0, &form(), [&ticked] { ticked = true; });
            if (!QTest::qWaitFor([&ticked] { return ticked; }, 5'000))
                fail(QStringLiteral("the event loop stopped"));
        }
    }
    // What the actions still waiting do, and whether it is all over then.
    QTest::qWait(1'000);
    if (!QTest::qWaitFor([this] { return !form().session().exchangeRunning(); }, 10'000))
        fail(QStringLiteral("an exchange never ended"));
    check();
    recorder().onWrite = nullptr;
    return m_failure.isEmpty();
}

} // namespace

// Thousands of random clicks, keys, focus moves, list choices and page
// switches against the simulated modem: no configuration packet without a
// Set or an address choice under way, never left in command mode by the
// program, and the program alive. MIRAN_RANDOM_SEEDS and MIRAN_RANDOM_STEPS
// choose more; the failure names its seed and step.
void UnaskedTest::randomUserActions()
{
    const QList<quint32> seeds = seedsFromEnvironment("MIRAN_RANDOM_SEEDS", {11, 12});
    const int steps = qEnvironmentVariableIntValue("MIRAN_RANDOM_STEPS") > 0
                          ? qEnvironmentVariableIntValue("MIRAN_RANDOM_STEPS")
                          : 1'000;
    for (const quint32 seed : seeds) {
        SimWindow window;
        window.fixture.writeAddressFile(kAddressFile + "7F7F7FZZ\r\n");
        QVERIFY2(window.start(), qPrintable(window.failure()));
        RandomUser user(window, seed);
        QVERIFY2(user.run(steps), qPrintable(user.failure()));
        qInfo("seed %u: %d steps, %d packets for %d Set clicks and address choices", seed, steps,
              user.packets(), user.permits());
        // The modem itself ends out of command mode, unless the user put it
        // there with "+++".
        const QList<ModemSim::Entry> log = window.sim.log();
        const auto lastMode =
            std::find_if(log.crbegin(), log.crend(),
                         [](const ModemSim::Entry &entry) { return entry.event == "MODE"; });
        const bool userEntered = user.enteredByUser();
        QStringList lastEvents;
        for (const ModemSim::Entry &entry : log.mid(std::max<qsizetype>(0, log.size() - 12)))
            lastEvents.append(QString::number(entry.seconds) + ' ' + entry.event + ' ' +
                              entry.detail);
        QVERIFY2(
            lastMode == log.crend() || lastMode->detail == "data" || userEntered,
            qPrintable(
                QStringLiteral("seed %1: the modem is in command mode; its log ends: ").arg(seed) +
                lastEvents.join(QStringLiteral("; "))));
    }
}

QTEST_MAIN(UnaskedTest)
#include "tst_unasked.moc"
