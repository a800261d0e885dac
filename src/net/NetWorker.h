#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QThread;

namespace zarvo {

// A thread of its own that runs jobs one after another, in the order they were posted. A job
// gets the worker's stop flag, which its waits watch. Destroying the worker sets the flag, drops
// the jobs not yet begun and waits for the running one, whose waits end within a few
// milliseconds. The thread is started with the first job.
class NetWorker
{
public:
    using Job = std::function<void(const std::atomic<bool>& stop)>;

    explicit NetWorker(QString name);
    ~NetWorker();
    NetWorker(const NetWorker&) = delete;
    NetWorker& operator=(const NetWorker&) = delete;

    void post(Job job);

private:
    void run();

    const QString m_name;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    std::atomic<bool> m_stop{false};
    std::unique_ptr<QThread> m_thread;
};

} // namespace zarvo
