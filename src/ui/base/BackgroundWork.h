#pragma once

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// One piece of slow work (deriving a key) off the window thread, so windows
// keep painting; its result comes back on the window thread. Destroying it
// waits for the work, which may use what its owner owns. The receiver is its
// owner, so the result never reaches a window that is gone; the work must not throw.
template <class T>
class BackgroundWork
{
public:
    BackgroundWork() = default;
    BackgroundWork(const BackgroundWork &) = delete;
    BackgroundWork &operator=(const BackgroundWork &) = delete;
    ~BackgroundWork()
    {
        if (m_thread) {
            m_thread->wait();
            delete m_thread;
        }
    }

    bool isRunning() const { return m_thread != nullptr; }
    // Until the work is done; its result still comes back later, as usual.
    void wait()
    {
        if (m_thread)
            m_thread->wait();
    }

    // done runs on receiver's thread, unless receiver is gone by then.
    void start(QObject *receiver, std::function<T()> work, std::function<void(T)> done)
    {
        auto result = std::make_shared<std::optional<T>>();
        m_thread = QThread::create([work = std::move(work), result] { result->emplace(work()); });
        QObject::connect(m_thread, &QThread::finished, receiver, [this, result, done = std::move(done)] {
            // Finished is sent just before the thread ends.
            QThread *thread = std::exchange(m_thread, nullptr);
            thread->wait();
            delete thread;
            done(std::move(**result));
        });
        m_thread->start();
    }

private:
    QThread *m_thread = nullptr;
};
