#pragma once

#include <QWidget>

class QToolButton;

// The status line's sign that a listing goes on: a busy bar and a button that stops it. Hidden
// otherwise.
class ListingIndicator : public QWidget {
    Q_OBJECT

public:
    explicit ListingIndicator(QWidget *parent = nullptr);

    void start();
    void stop();
    bool isRunning() const { return running_; }

signals:
    void cancelRequested();

private:
    QToolButton *stop_;
    bool running_ = false;
};
