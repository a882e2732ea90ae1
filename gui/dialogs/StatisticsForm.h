// "Statistics": the connection's traffic and the caches' hit rates, read
// from the client's counters when shown and every 3 seconds while open.
#pragma once

#include <QWidget>

#include "core/admin/StatisticsFormat.h"

#include <cstdint>
#include <functional>

class QLineEdit;
class QTimer;

namespace pellar {

class TStatisticsForm : public QWidget {
    Q_OBJECT

public:
    // collect reads the counters (the client's, and the count the message
    // dispatch keeps); it never waits on the server.
    explicit TStatisticsForm(std::function<StatisticsFields()> collect, QWidget* parent = nullptr);

    void Refresh();

    QLineEdit* BytesSentEdit() const { return bytesSent_; }
    QLineEdit* BytesReceivedEdit() const { return bytesReceived_; }
    QLineEdit* TransactionsEdit() const { return transactions_; }
    QLineEdit* AsyncMessagesEdit() const { return asyncMessages_; }
    QLineEdit* NameHitEdit() const { return nameHits_; }
    QLineEdit* TextStatHitEdit() const { return textStatHits_; }
    QLineEdit* TextBodyHitEdit() const { return textBodyHits_; }
    QTimer* Timer() const { return timer_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<StatisticsFields()> collect_;
    QLineEdit* bytesSent_;
    QLineEdit* bytesReceived_;
    QLineEdit* transactions_;
    QLineEdit* asyncMessages_;
    QLineEdit* nameHits_;
    QLineEdit* textStatHits_;
    QLineEdit* textBodyHits_;
    QTimer* timer_;
};

} // namespace pellar
