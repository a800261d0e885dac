#include "NetWorker.h"

#include <QThread>

namespace zarvo {

NetWorker::NetWorker(QString name) : m_name(std::move(name)) {}

NetWorker::~NetWorker()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    if (m_thread) m_thread->wait();
}

void NetWorker::post(Job job)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_stop) return;
        m_jobs.push_back(std::move(job));
        if (!m_thread) {
            // A thread Qt knows, so the sockets made on it have an event dispatcher to register
            // with; it never runs an event loop, the sockets are waited on directly.
            m_thread.reset(QThread::create([this] { run(); }));
            m_thread->setObjectName(m_name);
            m_thread->start();
        }
    }
    m_wake.notify_one();
}

void NetWorker::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_stop) return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        try {
            job(m_stop);
        } catch (...) {
            // a job reports its own failures; one that escapes must not end the worker
        }
    }
}

} // namespace zarvo
