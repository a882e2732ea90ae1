#include "gui/config/KeychainSecretStore.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <condition_variable>
#include <mutex>

namespace pellar {

namespace {

QString KeyText(const std::string& key)
{
    return QString::fromUtf8(QByteArray::fromStdString(key));
}

} // namespace

// What a job answered; shared with the job's handler, which may run after
// the caller stopped waiting.
struct KeychainSecretStore::Outcome {
    std::mutex mutex;
    std::condition_variable cond;
    bool finished = false;
    Status status = Status::Unavailable;
    std::string secret;  // a read's answer
};

KeychainSecretStore::KeychainSecretStore(QString service, std::chrono::milliseconds timeout)
    : service_(std::move(service)), timeout_(timeout)
{
}

void KeychainSecretStore::Start(const std::function<QKeychain::Job*()>& make, const std::shared_ptr<Outcome>& outcome,
                                const std::shared_ptr<std::atomic<bool>>& unavailable, QObject* receiver,
                                std::function<void()> then)
{
    // The job deletes itself when it finishes, also after we stopped waiting.
    QKeychain::Job* job = make();
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    QObject* context = receiver ? receiver : job;
    QObject::connect(job, &QKeychain::Job::finished, context, [outcome, unavailable, then](QKeychain::Job* done) {
        Status status = Status::Unavailable;
        std::string secret;
        switch (done->error()) {
        case QKeychain::NoError:
            status = Status::Ok;
            if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
                secret = read->binaryData().toStdString();
            break;
        case QKeychain::EntryNotFound:
            status = Status::NotFound;
            break;
        default:
            // No service, a refusal or a failure: the settings file takes
            // over for this run rather than asking (or prompting) again.
            *unavailable = true;
            break;
        }
        {
            std::lock_guard lock(outcome->mutex);
            outcome->finished = true;
            outcome->status = status;
            outcome->secret = std::move(secret);
        }
        outcome->cond.notify_all();
        if (then)
            then();
    });
    job->start();
}

SecretStore::Status KeychainSecretStore::Run(std::function<QKeychain::Job*()> make, std::string* secret)
{
    if (unavailable_->load())
        return Status::Unavailable;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return Status::Unavailable;
    auto outcome = std::make_shared<Outcome>();
    if (QThread::currentThread() == app->thread()) {
        // On the GUI thread the answer comes through its own event loop,
        // run nested meanwhile so that the windows keep painting.
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        // The loop is the handler's context: an answer after the time
        // limit finds no handler left.
        Start(make, outcome, unavailable_, &loop, [&loop] { loop.quit(); });
        timer.start(timeout_);
        bool finished = false;
        {
            std::lock_guard lock(outcome->mutex);
            finished = outcome->finished;
        }
        if (!finished)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    } else {
        // Elsewhere the job starts on the GUI thread without holding it:
        // only this thread waits for the answer.
        auto unavailable = unavailable_;
        QMetaObject::invokeMethod(app, [make = std::move(make), outcome, unavailable] {
            Start(make, outcome, unavailable, nullptr, {});
        }, Qt::QueuedConnection);
        std::unique_lock lock(outcome->mutex);
        outcome->cond.wait_for(lock, timeout_, [&] { return outcome->finished; });
    }
    std::lock_guard lock(outcome->mutex);
    if (!outcome->finished) {
        // No answer in time: do not make every later call wait as long.
        *unavailable_ = true;
        return Status::Unavailable;
    }
    if (secret && outcome->status == Status::Ok)
        *secret = outcome->secret;
    return outcome->status;
}

SecretStore::Status KeychainSecretStore::Write(const std::string& key, const std::string& secret)
{
    const QString service = service_;
    const QString keyText = KeyText(key);
    const QByteArray data = QByteArray::fromStdString(secret);
    return Run(
        [service, keyText, data] {
            auto* job = new QKeychain::WritePasswordJob(service);
            job->setKey(keyText);
            job->setBinaryData(data);
            return job;
        },
        nullptr);
}

SecretStore::Status KeychainSecretStore::Read(const std::string& key, std::string& secret)
{
    const QString service = service_;
    const QString keyText = KeyText(key);
    return Run(
        [service, keyText] {
            auto* job = new QKeychain::ReadPasswordJob(service);
            job->setKey(keyText);
            return job;
        },
        &secret);
}

SecretStore::Status KeychainSecretStore::Remove(const std::string& key)
{
    const QString service = service_;
    const QString keyText = KeyText(key);
    const Status status = Run(
        [service, keyText] {
            auto* job = new QKeychain::DeletePasswordJob(service);
            job->setKey(keyText);
            return job;
        },
        nullptr);
    return status == Status::NotFound ? Status::Ok : status;
}

} // namespace pellar
