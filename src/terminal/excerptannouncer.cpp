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
    if (!m_listening()) {
        // Whoever listens next starts from a fresh excerpt.
        m_excerpt.reset();
        return;
    }
    if (!m_timer.isActive())
        m_timer.start(kInterval);
}

const ShownExcerpt &ExcerptAnnouncer::excerpt()
{
    if (!m_excerpt)
        m_excerpt = m_build();
    return *m_excerpt;
}

void ExcerptAnnouncer::announceNow()
{
    m_timer.stop();
    ShownExcerpt next = m_build();
    const ShownExcerpt::Change change =
        ShownExcerpt::between(m_excerpt.value_or(ShownExcerpt()), next);
    m_excerpt = std::move(next);
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
