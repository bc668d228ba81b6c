// SPDX-License-Identifier: GPL-3.0-or-later
#include "excerptannouncer.h"

#include <utility>

ExcerptAnnouncer::ExcerptAnnouncer(QObject *target, Build build, Listening listening)
    : QObject(target)
    , m_target(target)
    , m_build(std::move(build))
    , m_listening(std::move(listening))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ExcerptAnnouncer::announceNow);
}

void ExcerptAnnouncer::changed()
{
    m_current.reset();
    if (!m_listening()) {
        // Whoever listens next starts from a fresh excerpt.
        m_announced.reset();
        return;
    }
    if (!m_timer.isActive())
        m_timer.start(kInterval);
}

const ShownExcerpt &ExcerptAnnouncer::excerpt()
{
    if (!m_current)
        m_current = m_build();
    // A first reader starts from what it read; later events go from there.
    if (!m_announced)
        m_announced = m_current;
    return *m_current;
}

void ExcerptAnnouncer::announceNow()
{
    m_timer.stop();
    ShownExcerpt next = m_current ? *m_current : m_build();
    const ShownExcerpt::Change change =
        ShownExcerpt::between(m_announced.value_or(ShownExcerpt()), next);
    m_announced = next;
    m_current = std::move(next);
    if (!change.head.isEmpty()) {
        QAccessibleTextRemoveEvent event(m_target, 0, change.head);
        QAccessible::updateAccessibility(&event);
    }
    if (!change.removed.isEmpty()) {
        QAccessibleTextRemoveEvent event(m_target, change.kept, change.removed);
        QAccessible::updateAccessibility(&event);
    }
    if (!change.inserted.isEmpty()) {
        QAccessibleTextInsertEvent event(m_target, change.kept, change.inserted);
        QAccessible::updateAccessibility(&event);
    }
    Q_EMIT announced(change);
}
