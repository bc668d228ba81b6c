#pragma once

#include "receive/shownexcerpt.h"

#include <QAccessible>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

// Keeps the excerpt of the receive box that assistive technology reads, and
// tells it how the excerpt changed as text removed and inserted. Changes are
// gathered for kInterval, so a flood of received bytes makes a few events a
// second, not one per byte; nothing is built while no assistive technology
// listens.
class ExcerptAnnouncer final : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kInterval{250};
    using Build = std::function<ShownExcerpt()>;
    // Whether anyone listens; by default, whether assistive technology is on.
    using Listening = std::function<bool()>;

    // Events name the target, which is also the parent.
    ExcerptAnnouncer(QObject *target, Build build, Listening listening = &QAccessible::isActive);

    // What is shown changed: announced within kInterval.
    void changed();
    // The excerpt as last announced, built now if never asked for.
    const ShownExcerpt &excerpt();
    // Announces a pending change at once.
    void announceNow();

Q_SIGNALS:
    // Raised with each change announced, after its events went out.
    void announced(const ShownExcerpt::Change &change);

private:
    QObject *m_target;
    Build m_build;
    Listening m_listening;
    // The excerpt last handed out or announced; none while nobody listens.
    std::optional<ShownExcerpt> m_excerpt;
    QTimer m_timer;
};
