#include "gui/config/KeychainSecretStore.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace pellar {

namespace {

QString KeyText(const std::string& key)
{
    return QString::fromUtf8(QByteArray::fromStdString(key));
}

} // namespace

KeychainSecretStore::KeychainSecretStore(QString service, std::chrono::milliseconds timeout)
    : service_(std::move(service)), timeout_(timeout)
{
}

SecretStore::Status KeychainSecretStore::Run(const std::function<QKeychain::Job*()>& make,
                                             const std::function<void(QKeychain::Job&)>& done)
{
    if (unavailable_.load())
        return Status::Unavailable;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return Status::Unavailable;
    if (QThread::currentThread() == app->thread())
        return RunHere(make, done);
    // The jobs talk to the service through the GUI thread's event loop.
    Status status = Status::Unavailable;
    QMetaObject::invokeMethod(
        app, [&] { status = RunHere(make, done); }, Qt::BlockingQueuedConnection);
    return status;
}

SecretStore::Status KeychainSecretStore::RunHere(const std::function<QKeychain::Job*()>& make,
                                                 const std::function<void(QKeychain::Job&)>& done)
{
    // The job deletes itself when it finishes, also after we stopped waiting.
    QPointer<QKeychain::Job> job = make();
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool finished = false;
    Status status = Status::Unavailable;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* finishedJob) {
        finished = true;
        switch (finishedJob->error()) {
        case QKeychain::NoError:
            status = Status::Ok;
            done(*finishedJob);
            break;
        case QKeychain::EntryNotFound:
            status = Status::NotFound;
            break;
        default:
            // No service, a refusal or a failure: the settings file takes
            // over for this run rather than asking (or prompting) again.
            unavailable_ = true;
            status = Status::Unavailable;
            break;
        }
        loop.quit();
    });
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeout_);
    job->start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished) {
        // No answer in time: do not make every later call wait as long.
        unavailable_ = true;
        if (job)
            QObject::disconnect(job, nullptr, &loop, nullptr);
    }
    return status;
}

SecretStore::Status KeychainSecretStore::Write(const std::string& key, const std::string& secret)
{
    return Run(
        [&] {
            auto* job = new QKeychain::WritePasswordJob(service_);
            job->setKey(KeyText(key));
            job->setBinaryData(QByteArray::fromStdString(secret));
            return job;
        },
        [](QKeychain::Job&) {});
}

SecretStore::Status KeychainSecretStore::Read(const std::string& key, std::string& secret)
{
    return Run(
        [&] {
            auto* job = new QKeychain::ReadPasswordJob(service_);
            job->setKey(KeyText(key));
            return job;
        },
        [&](QKeychain::Job& job) { secret = static_cast<QKeychain::ReadPasswordJob&>(job).binaryData().toStdString(); });
}

SecretStore::Status KeychainSecretStore::Remove(const std::string& key)
{
    const Status status = Run(
        [&] {
            auto* job = new QKeychain::DeletePasswordJob(service_);
            job->setKey(KeyText(key));
            return job;
        },
        [](QKeychain::Job&) {});
    return status == Status::NotFound ? Status::Ok : status;
}

} // namespace pellar
