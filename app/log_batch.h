#pragma once
// Log text written on any thread, waiting for the event thread to show it
// in one go. The batch keeps no more lines than the memo would: when more
// come, the oldest whole lines go, and the batch then replaces the memo's
// text instead of following it.

#include <QString>

#include <mutex>

class LogBatch {
public:
    struct Text {
        QString text;
        bool replaces = false; // holds the last maxLines lines of everything logged
    };

    explicit LogBatch(qsizetype maxLines) : maxLines_(maxLines) {}

    // True when the batch was empty: whoever shows it must be told.
    bool add(const QString& text);
    Text take();

private:
    void keepLastLines();

    const qsizetype maxLines_;
    std::mutex mutex_;
    // Guarded by mutex_.
    QString text_;
    qsizetype lineBreaks_ = 0;
    bool replaces_ = false;
};
