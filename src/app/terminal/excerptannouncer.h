// SPDX-License-Identifier: GPL-3.0-or-later
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
// second, not one per byte; a reader that asks for the text meanwhile gets it
// as shown now. Nothing is built while no assistive technology listens.
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
    // The excerpt as shown now, built again only after a change.
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
    // The excerpt the last events described, which the next ones start from,
    // and the one shown now, until the next change; none while nobody listens.
    std::optional<ShownExcerpt> m_announced;
    std::optional<ShownExcerpt> m_current;
    QTimer m_timer;
};
